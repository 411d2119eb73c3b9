# Which assembly register guard (src/platform/register_guard/guarded_call_<flavour>.S and
# its probe tests/platform/register_probe_<flavour>.S) serves this target: i386, x86_64
# (System V) or win64; empty where there is none (platform/guarded_call.cpp then calls
# host code directly).
set(ZELVANE_REGISTER_GUARD "")
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86|x86_64|AMD64|amd64)$")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(ZELVANE_REGISTER_GUARD i386)
  elseif(WIN32)
    set(ZELVANE_REGISTER_GUARD win64)
  else()
    set(ZELVANE_REGISTER_GUARD x86_64)
  endif()
endif()
if(ZELVANE_REGISTER_GUARD)
  enable_language(ASM)
endif()
