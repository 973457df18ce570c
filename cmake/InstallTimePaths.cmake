# Included by cmake --install (and by CPack's install): what depends on the prefix the files are
# installed to is decided here, at install time, where CMAKE_INSTALL_PREFIX is the prefix given
# then (cmake --install --prefix ~/.local), not the one the build was configured with.
# file(INSTALL) honours DESTDIR and records each file in install_manifest.txt.

# Debian's zsh reads completions from /usr/share/zsh/vendor-completions for the system's
# packages and from /usr/local/share/zsh/site-functions for what is installed locally;
# /usr/share/zsh/site-functions is not on its $fpath. Another prefix (~/.local) has neither on
# $fpath: site-functions, zsh's own name, is the one to add there.
function(nuvelo_install_zsh_completion file datadir)
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(folder vendor-completions)
  else()
    set(folder site-functions)
  endif()
  file(INSTALL "${file}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${datadir}/zsh/${folder}")
endfunction()

# The example units (templates named <unit>.in) written with the installed paths: the
# nuvelo-cli they run and the folder of the examples themselves. The written files wait in a
# folder of this install's own under work_folder, so that installs of one build to other
# prefixes at the same time each install their own.
function(nuvelo_install_example_units source_folder work_folder bindir datadir)
  cmake_path(ABSOLUTE_PATH bindir BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" OUTPUT_VARIABLE
             CMAKE_INSTALL_FULL_BINDIR)
  cmake_path(ABSOLUTE_PATH datadir BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" OUTPUT_VARIABLE data)
  set(NUVELO_EXAMPLES_FULL_DIR "${data}/doc/nuvelo/examples")
  string(RANDOM LENGTH 16 install_name)
  set(written "${work_folder}/${install_name}")
  foreach(template IN LISTS ARGN)
    get_filename_component(unit "${template}" NAME_WLE)
    configure_file("${source_folder}/${template}" "${written}/${unit}" @ONLY)
    file(INSTALL "${written}/${unit}" DESTINATION "${NUVELO_EXAMPLES_FULL_DIR}")
  endforeach()
  file(REMOVE_RECURSE "${written}")
endfunction()
