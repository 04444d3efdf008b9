# Kestro's installer, <build>/installer/Kestro-Setup-<version>.exe, made by Inno Setup 6 from
# installer/kestro.iss:  cmake --build <build> --target installer
# On Windows an installed Inno Setup compiles it; elsewhere the compiler comes from the npm
# package innosetup-compiler at a pinned version, installed into the build tree, and runs under
# Wine (installer/compile_under_wine.sh).

set(KESTRO_INNOSETUP_NPM_VERSION "6.3.1")
set(KESTRO_INSTALLER_DIR "${CMAKE_BINARY_DIR}/installer")
set(KESTRO_INSTALLER "${KESTRO_INSTALLER_DIR}/Kestro-Setup-${PROJECT_VERSION}.exe")
set(KESTRO_INSTALLER_SCRIPT "${CMAKE_SOURCE_DIR}/installer/kestro.iss")
set(KESTRO_INSTALLER_DEFINES
    "AppVersion=${PROJECT_VERSION}"
    "SourceExe=$<TARGET_FILE:Kestro>"
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
      "${KESTRO_INNOSETUP_NPM_VERSION}" "${CMAKE_BINARY_DIR}" "${KESTRO_INSTALLER_SCRIPT}"
      ${KESTRO_INSTALLER_DEFINES})
endif()

add_custom_command(
  OUTPUT "${KESTRO_INSTALLER}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${KESTRO_INSTALLER_DIR}"
  COMMAND ${KESTRO_COMPILE_INSTALLER}
  DEPENDS Kestro "${KESTRO_INSTALLER_SCRIPT}" "${CMAKE_SOURCE_DIR}/res/kestro.ico"
          "${CMAKE_SOURCE_DIR}/installer/compile_under_wine.sh"
  COMMENT "Making the installer Kestro-Setup-${PROJECT_VERSION}.exe"
  VERBATIM)
add_custom_target(installer DEPENDS "${KESTRO_INSTALLER}")
