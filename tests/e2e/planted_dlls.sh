# shellcheck shell=bash
# DLLs another program of the user could plant beside Kestro.exe (sourced). The names are those
# of every DLL that is not a known DLL and that Kestro, Direct2D, DirectWrite, Direct3D and DXGI,
# WMI, UI Automation or the updater may load, on Windows or under Wine; each is a copy of
# planted_dll.dll, which leaves "<name>.loaded" beside itself when anything loads it.
planted_names=(
  bcrypt crypt32 d2d1 d3d11 dwmapi dwrite dxgi version wintrust uiautomationcore
  d3d9 d3d10 d3d10_1 d3d10core d3d10warp d3d12 d3dcompiler_43 d3dcompiler_47 dcomp dxcore
  ddraw opengl32 vulkan-1 winevulkan wined3d windowscodecs textshaping usp10 fontsub
  wbemcomn wbemprox wbemsvc fastprox wmiutils wbemdisp framedynos propsys ntdsapi
  uxtheme oleacc msftedit cryptbase cryptsp cryptnet msasn1 rsaenh wldp mssign32 dbghelp
  ncrypt ntasn1 dpapi userenv profapi sspicli secur32 winhttp wininet urlmon iertutil
  iphlpapi dnsapi winmm powrprof msimg32 mpr netapi32 wtsapi32 winsta devobj hid
  kernel.appcore windows.storage
)

plant_dlls() {  # <planted_dll.dll> <folder>
  local name
  for name in "${planted_names[@]}"; do cp "$1" "$2/$name.dll" || return 1; done
}
# The planted DLLs something loaded, one name a line; empty when none was.
planted_loaded() {  # <folder>
  find "$1" -maxdepth 1 -name '*.dll.loaded' -printf '%f\n' | sed 's/\.dll\.loaded$//' | sort | paste -sd' '
}
