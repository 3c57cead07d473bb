# Applies the sanitizer chosen with THUDMOR_SANITIZER to every target of the build,
# JUCE included, so that instrumented and plain code never mix.
if(THUDMOR_SANITIZER STREQUAL "address")
    set(THUDMOR_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
elseif(THUDMOR_SANITIZER STREQUAL "thread")
    set(THUDMOR_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT THUDMOR_SANITIZER STREQUAL "")
    message(FATAL_ERROR "THUDMOR_SANITIZER must be empty, 'address' or 'thread'")
endif()

if(THUDMOR_SANITIZER_FLAGS)
    add_compile_options(${THUDMOR_SANITIZER_FLAGS})
    add_link_options(${THUDMOR_SANITIZER_FLAGS})
endif()

if(THUDMOR_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "THUDMOR_FUZZ needs clang")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
