# The Windows build parses windows.h, the COM and graphics headers, nlohmann/json and the big
# standard headers once per translation unit. To keep a clean build short, the cross build
# compiles its libraries and test programs in batches of files (one translation unit per batch)
# on top of headers compiled once per target. The host build compiles every file alone and
# without precompiled headers: that is where a missing include shows.
#   -DKESTRO_BATCH_BUILD=OFF compiles the Windows build file by file, as the host build does.
option(KESTRO_BATCH_BUILD "Windows build: compile in batches of files on precompiled headers" ON)
option(KESTRO_PCH "Windows build: precompiled headers" ON)

set(KESTRO_PCH_STANDARD <algorithm> <array> <cstdint> <memory> <optional> <string> <string_view>
    <utility> <vector>)
set(KESTRO_PCH_WINDOWS <windows.h> <objbase.h> <oleauto.h> <wrl/client.h>)

# kestro_batch_build(<target> <files per batch> [<precompiled header>...])
function(kestro_batch_build target batch_size)
  if(NOT WIN32)
    return()
  endif()
  if(KESTRO_BATCH_BUILD)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${batch_size})
  endif()
  if(ARGN AND KESTRO_PCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()
