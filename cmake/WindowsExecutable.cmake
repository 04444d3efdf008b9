# Kestro.exe: the GUI-subsystem entry linked against the Windows adapters, statically (the
# toolchain links the C and C++ runtimes statically), so it runs without MinGW DLLs.
add_executable(Kestro WIN32 "${CMAKE_SOURCE_DIR}/src/app/main_win32.cpp")
target_link_libraries(Kestro PRIVATE kestro_win32)
set_target_properties(Kestro PROPERTIES OUTPUT_NAME "Kestro" SUFFIX ".exe")
target_link_options(Kestro PRIVATE -static)
kestro_warnings(Kestro)

# Executable resources: icon group 1 and the application manifest (resource type 24, id 1).
enable_language(RC)
target_sources(Kestro PRIVATE "${CMAKE_SOURCE_DIR}/res/kestro.rc")
# windres finds the icon and the manifest next to the .rc file.
set_property(SOURCE "${CMAKE_SOURCE_DIR}/res/kestro.rc" APPEND PROPERTY INCLUDE_DIRECTORIES
             "${CMAKE_SOURCE_DIR}/res")
set_property(SOURCE "${CMAKE_SOURCE_DIR}/res/kestro.rc" APPEND PROPERTY OBJECT_DEPENDS
             "${CMAKE_SOURCE_DIR}/res/kestro.ico" "${CMAKE_SOURCE_DIR}/res/kestro.manifest")
