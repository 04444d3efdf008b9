# Kestro's installer, <build>/installer/Kestro-Setup-<version>.exe, made by Inno Setup 6 from
# installer/kestro.iss:  cmake --build <build> --target installer
# On Windows an installed Inno Setup compiles it; elsewhere the compiler comes from the npm
# package innosetup-compiler at a pinned version, installed into the build tree, and runs under
# Wine (installer/compile_under_wine.sh).

#
# A release signs the Kestro.exe it packs: with KESTRO_SIGN_TOOL set (tools/release.sh sets it
# to tools/sign.sh), `<tool> <Kestro.exe> <signed copy>` makes the copy the installer takes.

set(KESTRO_INNOSETUP_NPM_VERSION "6.3.1")
set(KESTRO_SIGN_TOOL "" CACHE STRING "Signs a copy of Kestro.exe for the installer: <tool> <in> <out>")
set(KESTRO_INSTALLER_DIR "${CMAKE_BINARY_DIR}/installer")
set(KESTRO_INSTALLER "${KESTRO_INSTALLER_DIR}/Kestro-Setup-${PROJECT_VERSION}.exe")
set(KESTRO_INSTALLER_SCRIPT "${CMAKE_SOURCE_DIR}/installer/kestro.iss")
if(KESTRO_SIGN_TOOL)
  set(KESTRO_PACKED_EXE "${KESTRO_INSTALLER_DIR}/signed/Kestro.exe")
  set(KESTRO_SIGN_PACKED_EXE
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${KESTRO_INSTALLER_DIR}/signed"
      COMMAND ${KESTRO_SIGN_TOOL} "$<TARGET_FILE:Kestro>" "${KESTRO_PACKED_EXE}")
else()
  set(KESTRO_PACKED_EXE "$<TARGET_FILE:Kestro>")
  set(KESTRO_SIGN_PACKED_EXE)
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
      "${KESTRO_INNOSETUP_NPM_VERSION}" "${CMAKE_BINARY_DIR}" "${KESTRO_INSTALLER_SCRIPT}"
      ${KESTRO_INSTALLER_DEFINES})
endif()

add_custom_command(
  OUTPUT "${KESTRO_INSTALLER}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${KESTRO_INSTALLER_DIR}"
  ${KESTRO_SIGN_PACKED_EXE}
  COMMAND ${KESTRO_COMPILE_INSTALLER}
  DEPENDS Kestro "${KESTRO_INSTALLER_SCRIPT}" "${CMAKE_SOURCE_DIR}/res/kestro.ico"
          "${CMAKE_SOURCE_DIR}/installer/compile_under_wine.sh"
  COMMENT "Making the installer Kestro-Setup-${PROJECT_VERSION}.exe"
  VERBATIM)
add_custom_target(installer DEPENDS "${KESTRO_INSTALLER}")
