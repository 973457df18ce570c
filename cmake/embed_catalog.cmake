# Writes OUTPUT, a C++ source that holds the compiled catalog INPUT (a .mo file) as bytes, so
# that nuvelo-cli carries its English texts wherever it is copied.
# Usage: cmake -DINPUT=... -DOUTPUT=... -P embed_catalog.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}
     "// Generated from po/en.po at build time.\n"
     "#include \"messages/english_catalog.h\"\n\n"
     "namespace nuvelo {\nnamespace {\n\n"
     "const unsigned char catalogBytes[] = {\n${bytes}};\n\n"
     "}  // namespace\n\n"
     "std::string_view englishCatalogBytes() {\n"
     "  return {reinterpret_cast<const char*>(catalogBytes), ${size}};\n}\n\n"
     "}  // namespace nuvelo\n")
