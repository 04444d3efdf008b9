# nlohmann/json is header-only. The cross build must not see the host's whole /usr/include,
# so only the nlohmann folder is copied into the build tree and put on the include path.
find_path(KESTRO_NLOHMANN_DIR nlohmann/json.hpp
  PATHS /usr/include /usr/local/include
  NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT KESTRO_NLOHMANN_DIR)
  message(FATAL_ERROR "nlohmann/json not found: install nlohmann-json3-dev")
endif()
set(KESTRO_JSON_INCLUDE "${CMAKE_BINARY_DIR}/third_party/include")
file(COPY "${KESTRO_NLOHMANN_DIR}/nlohmann" DESTINATION "${KESTRO_JSON_INCLUDE}")
add_library(kestro_json INTERFACE)
target_include_directories(kestro_json SYSTEM INTERFACE "${KESTRO_JSON_INCLUDE}")

# GoogleTest from Debian's sources, built for whichever target this build is for.
set(KESTRO_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
