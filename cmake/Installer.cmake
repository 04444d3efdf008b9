# Kestro's installer, <build>/installer/Kestro-Setup-<version>.exe, made by Inno Setup 6 from
# installer/kestro.iss:  cmake --build <build> --target installer
# On Windows an installed Inno Setup compiles it; elsewhere the compiler comes from the npm
# package innosetup-compiler as installer/package-lock.json pins it, installed into the build
# tree with `npm ci`, and runs under Wine (installer/compile_under_wine.sh).
#
# A release packs a signed copy of Kestro.exe: with KESTRO_INSTALLER_EXE set (tools/release.sh
# sets it for one build), the installer takes that file and the target builds nothing else, so
# the compiler does not run while it is made.

set(KESTRO_INSTALLER_EXE "" CACHE FILEPATH "The Kestro.exe the installer packs (default: the one built)")
set(KESTRO_INSTALLER_DIR "${CMAKE_BINARY_DIR}/installer")
set(KESTRO_INSTALLER "${KESTRO_INSTALLER_DIR}/Kestro-Setup-${PROJECT_VERSION}.exe")
set(KESTRO_INSTALLER_SCRIPT "${CMAKE_SOURCE_DIR}/installer/kestro.iss")
if(KESTRO_INSTALLER_EXE)
  set(KESTRO_PACKED_EXE "${KESTRO_INSTALLER_EXE}")
  set(KESTRO_PACKED_EXE_DEPENDS "${KESTRO_INSTALLER_EXE}")
else()
  set(KESTRO_PACKED_EXE "$<TARGET_FILE:Kestro>")
  set(KESTRO_PACKED_EXE_DEPENDS Kestro)
endif()
set(KESTRO_INSTALLER_DEFINES
    "AppVersion=${PROJECT_VERSION}"
    "SourceExe=${KESTRO_PACKED_EXE}"
    "IconFile=${CMAKE_SOURCE_DIR}/res/kestro.ico"
    "OutputDir=${KESTRO_INSTALLER_DIR}"
    "RunningMutex=${KESTRO_RUNNING_MUTEX}")

if(CMAKE_HOST_WIN32)
  find_program(KESTRO_ISCC ISCC
               PATHS "$ENV{ProgramFiles\(x86\)}/Inno Setup 6" "$ENV{ProgramFiles}/Inno Setup 6")
  list(TRANSFORM KESTRO_INSTALLER_DEFINES PREPEND "/D")
  set(KESTRO_COMPILE_INSTALLER "${KESTRO_ISCC}" /Q ${KESTRO_INSTALLER_DEFINES} "${KESTRO_INSTALLER_SCRIPT}")
else()
  set(KESTRO_COMPILE_INSTALLER bash "${CMAKE_SOURCE_DIR}/installer/compile_under_wine.sh"
      "${CMAKE_BINARY_DIR}" "${KESTRO_INSTALLER_SCRIPT}"
      ${KESTRO_INSTALLER_DEFINES})
endif()

add_custom_command(
  OUTPUT "${KESTRO_INSTALLER}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${KESTRO_INSTALLER_DIR}"
  COMMAND ${KESTRO_COMPILE_INSTALLER}
  DEPENDS ${KESTRO_PACKED_EXE_DEPENDS} "${KESTRO_INSTALLER_SCRIPT}" "${CMAKE_SOURCE_DIR}/res/kestro.ico"
          "${CMAKE_SOURCE_DIR}/installer/compile_under_wine.sh" "${CMAKE_SOURCE_DIR}/installer/package.json"
          "${CMAKE_SOURCE_DIR}/installer/package-lock.json"
  COMMENT "Making the installer Kestro-Setup-${PROJECT_VERSION}.exe"
  VERBATIM)
add_custom_target(installer DEPENDS "${KESTRO_INSTALLER}")
