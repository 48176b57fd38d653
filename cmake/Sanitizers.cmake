# The test build runs everything under ASan and UBSan; the flags go on every target so that
# the engine, the stand-in and the tests agree on the runtime.
if(QUILLO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=address,undefined)
endif()

if(QUILLO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "QUILLO_FUZZ needs clang (libFuzzer)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=address,undefined)
endif()

# Data races: the workers share one session record with the user-interface thread. Qt itself is
# not instrumented, so tsan.supp names what its own synchronisation hides from the tool.
if(QUILLO_TSAN)
    if(QUILLO_SANITIZE)
        message(FATAL_ERROR "QUILLO_TSAN and QUILLO_SANITIZE cannot share a build")
    endif()
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -g -O1)
    add_link_options(-fsanitize=thread)
endif()
