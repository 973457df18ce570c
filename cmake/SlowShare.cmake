# nuvelo-slow-share (bench/slow_share.cpp): a folder mounted through FUSE with a delay on every
# request, and write faults on request, standing in for a network share. The benchmarks compare
# against it and the tests of retries copy onto it, so it is built for either. It lands in
# bench/ of the build, where bench/compare-share looks for it.
find_package(PkgConfig)
if(PkgConfig_FOUND)
  pkg_check_modules(FUSE3 IMPORTED_TARGET fuse3)
endif()
if(FUSE3_FOUND)
  add_executable(nuvelo-slow-share ${PROJECT_SOURCE_DIR}/bench/slow_share.cpp)
  target_link_libraries(nuvelo-slow-share PRIVATE PkgConfig::FUSE3)
  set_target_properties(nuvelo-slow-share PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                                                     ${PROJECT_BINARY_DIR}/bench)
  # A test double, not what the sanitized builds look into: without their instrumentation, so
  # that a report about libfuse's own threads cannot end the share in the middle of a test.
  foreach(property COMPILE_OPTIONS LINK_OPTIONS)
    get_target_property(flags nuvelo-slow-share ${property})
    if(flags)
      list(FILTER flags EXCLUDE REGEX "sanitize")
      set_target_properties(nuvelo-slow-share PROPERTIES ${property} "${flags}")
    endif()
  endforeach()
else()
  message(STATUS "libfuse3 not found: nuvelo-slow-share is not built")
endif()
