# Compile settings shared by every target of the project.
add_library(zentu_options INTERFACE)
set_target_properties(zentu_options PROPERTIES EXPORT_NAME options)
target_compile_options(zentu_options INTERFACE -Wall -Wextra)
if(ZENTU_WERROR)
  target_compile_options(zentu_options INTERFACE -Werror)
endif()
if(ZENTU_NO_SIMD)
  target_compile_definitions(zentu_options INTERFACE ZENTU_NO_SIMD=1)
endif()
if(ZENTU_SANITIZE)
  target_compile_options(zentu_options INTERFACE -fsanitize=${ZENTU_SANITIZE} -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=all)
  target_link_options(zentu_options INTERFACE -fsanitize=${ZENTU_SANITIZE})
endif()
# Live-object accounting for reference-counted objects in debug and test builds.
if(ZENTU_BUILD_TESTS OR CMAKE_BUILD_TYPE STREQUAL "Debug")
  target_compile_definitions(zentu_options INTERFACE ZENTU_OBJECT_ACCOUNTING=1)
endif()
# Coverage instrumentation for libFuzzer in the libraries as well as the harnesses.
if(ZENTU_BUILD_FUZZ)
  target_compile_options(zentu_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
