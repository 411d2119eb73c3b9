# Warnings, sanitizers and the Windows runtime linkage shared by every target of the project.
add_library(zelvane_settings INTERFACE)
target_compile_options(zelvane_settings INTERFACE
  $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra -Wpedantic>
  $<$<AND:$<BOOL:${ZELVANE_WERROR}>,$<COMPILE_LANGUAGE:C,CXX>>:-Werror>)

if(WIN32)
  # The DLL must run with nothing of MinGW's beside it.
  target_link_options(zelvane_settings INTERFACE -static-libgcc -static-libstdc++ -static)
  # Windows XP-era APIs are enough, but CancelIoEx and friends need Vista.
  target_compile_definitions(zelvane_settings INTERFACE _WIN32_WINNT=0x0601 WINVER=0x0601)
endif()

if(ZELVANE_SANITIZE STREQUAL "address")
  target_compile_options(zelvane_settings INTERFACE -fsanitize=address,undefined
                         -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(zelvane_settings INTERFACE -fsanitize=address,undefined)
elseif(ZELVANE_SANITIZE STREQUAL "thread")
  target_compile_options(zelvane_settings INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(zelvane_settings INTERFACE -fsanitize=thread)
elseif(NOT ZELVANE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "ZELVANE_SANITIZE must be empty, 'address' or 'thread'")
endif()

# Fuzz builds measure the coverage of everything they link.
if(ZELVANE_BUILD_FUZZERS)
  target_compile_options(zelvane_settings INTERFACE -fsanitize=fuzzer-no-link)
endif()
