# VORLAN_SANITIZE builds everything (product code and tests) with AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer; any report fails the program that made it.
option(VORLAN_SANITIZE "Build with AddressSanitizer, LeakSanitizer and UBSan" OFF)
if(VORLAN_SANITIZE)
    set(VORLAN_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer -g1)
    add_compile_options(${VORLAN_SANITIZER_FLAGS})
    add_link_options(${VORLAN_SANITIZER_FLAGS})

    # ctest reads this before it starts a test, so every test (and every program a script
    # test runs) gets the options. Qt is built without frame pointers: only the slow unwinder
    # reaches past its frames, which the suppressions need to name a Qt function.
    set(VORLAN_SANITIZER_ENV_FILE ${CMAKE_BINARY_DIR}/sanitizer-environment.cmake)
    file(WRITE ${VORLAN_SANITIZER_ENV_FILE}
        "set(ENV{ASAN_OPTIONS} \"detect_leaks=1:fast_unwind_on_malloc=0:malloc_context_size=30\")\n"
        "set(ENV{LSAN_OPTIONS} \"suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0\")\n"
        "set(ENV{UBSAN_OPTIONS} \"print_stacktrace=1:halt_on_error=1\")\n"
        "set(ENV{QT_XCB_GL_INTEGRATION} \"none\")\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${VORLAN_SANITIZER_ENV_FILE})
endif()
