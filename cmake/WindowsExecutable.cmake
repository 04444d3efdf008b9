# Kestro.exe: the GUI-subsystem entry linked against the Windows adapters, statically (the
# toolchain links the C and C++ runtimes statically), so it runs without MinGW DLLs.
add_executable(Kestro WIN32 "${CMAKE_SOURCE_DIR}/src/app/main_win32.cpp")
target_link_libraries(Kestro PRIVATE kestro_win32)
set_target_properties(Kestro PROPERTIES OUTPUT_NAME "Kestro" SUFFIX ".exe")
target_link_options(Kestro PRIVATE -static)
kestro_warnings(Kestro)

# Executable resources: icon group 1, the version information and the application manifest
# (resource type 24, id 1), whose assembly version is the project version.
enable_language(RC)
configure_file("${CMAKE_SOURCE_DIR}/res/kestro.manifest.in" "${KESTRO_GENERATED_DIR}/kestro.manifest" @ONLY)
target_sources(Kestro PRIVATE "${CMAKE_SOURCE_DIR}/res/kestro.rc")
# windres finds the icon next to the .rc file, the manifest and base/version.h in the
# generated folder.
set_property(SOURCE "${CMAKE_SOURCE_DIR}/res/kestro.rc" APPEND PROPERTY INCLUDE_DIRECTORIES
             "${CMAKE_SOURCE_DIR}/res" "${KESTRO_GENERATED_DIR}")
set_property(SOURCE "${CMAKE_SOURCE_DIR}/res/kestro.rc" APPEND PROPERTY OBJECT_DEPENDS
             "${CMAKE_SOURCE_DIR}/res/kestro.ico" "${KESTRO_GENERATED_DIR}/kestro.manifest"
             "${KESTRO_GENERATED_DIR}/base/version.h")
