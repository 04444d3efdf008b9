# Embeds the eight translation catalogs (src/i18n/catalogs/<code>.json) byte for byte into a
# generated C++ source, so the program carries them as read-only data and reads no file at
# run time.
#
# Included from the top-level CMakeLists.txt it sets KESTRO_CATALOG_SOURCE and the rule that
# regenerates the source whenever a catalog changes. Run as a script
# (cmake -DOUTPUT=... -DCATALOG_DIR=... -DCODES=... -P Catalogs.cmake) it writes the source.

# Catalog order = language table order.
set(KESTRO_CATALOG_CODES ja zh-Hans zh-Hant es fr de pt ru)

if(CMAKE_SCRIPT_MODE_FILE)
  string(REPLACE "|" ";" codes "${CODES}")
  set(body "// Generated from src/i18n/catalogs/*.json by cmake/Catalogs.cmake. Do not edit.\n")
  string(APPEND body "#include \"i18n/embedded_catalogs.h\"\n\nnamespace kestro::detail {\n\nnamespace {\n\n")
  set(table "")
  set(index 0)
  foreach(code IN LISTS codes)
    file(READ "${CATALOG_DIR}/${code}.json" hex HEX)
    string(LENGTH "${hex}" hex_length)
    math(EXPR byte_count "${hex_length} / 2")
    # One '\xNN' character literal per byte, 16 to a line.
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," chars "${hex}")
    string(REPEAT "'[^']+'," 16 sixteen)  # CMake regexes have no {n} repetition
    string(REGEX REPLACE "(${sixteen})" "\\1\n    " chars "${chars}")
    string(APPEND body "// ${code}.json, ${byte_count} bytes\nconstexpr char kCatalog${index}[] = {\n    ${chars}'\\0'};\n\n")
    string(APPEND table "    {\"${code}\", std::string_view(kCatalog${index}, ${byte_count})},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  string(APPEND body "}  // namespace\n\nconst EmbeddedCatalog kEmbeddedCatalogs[] = {\n${table}};\n")
  string(APPEND body "const std::size_t kEmbeddedCatalogCount = ${index};\n\n}  // namespace kestro::detail\n")
  # Rewrite only on change, so an unchanged catalog set causes no rebuild.
  file(CONFIGURE OUTPUT "${OUTPUT}" CONTENT "${body}" @ONLY)
  return()
endif()

set(KESTRO_CATALOG_DIR "${CMAKE_SOURCE_DIR}/src/i18n/catalogs")
set(KESTRO_CATALOG_SOURCE "${CMAKE_BINARY_DIR}/generated/i18n/embedded_catalogs.cpp")
set(kestro_catalog_files)
foreach(code IN LISTS KESTRO_CATALOG_CODES)
  list(APPEND kestro_catalog_files "${KESTRO_CATALOG_DIR}/${code}.json")
endforeach()
string(REPLACE ";" "|" kestro_catalog_codes_arg "${KESTRO_CATALOG_CODES}")
add_custom_command(
  OUTPUT "${KESTRO_CATALOG_SOURCE}"
  COMMAND "${CMAKE_COMMAND}"
          "-DOUTPUT=${KESTRO_CATALOG_SOURCE}"
          "-DCATALOG_DIR=${KESTRO_CATALOG_DIR}"
          "-DCODES=${kestro_catalog_codes_arg}"
          -P "${CMAKE_CURRENT_LIST_FILE}"
  DEPENDS ${kestro_catalog_files} "${CMAKE_CURRENT_LIST_FILE}"
  COMMENT "Embedding the translation catalogs"
  VERBATIM)
