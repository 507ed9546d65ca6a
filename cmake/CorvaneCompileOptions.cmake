# Warnings, sanitizers and Qt string hygiene shared by every target of the project.
add_library(corvane_compile_options INTERFACE)
target_compile_options(corvane_compile_options INTERFACE
    -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual -Wsuggest-override)
if(CORVANE_WERROR)
    target_compile_options(corvane_compile_options INTERFACE -Werror)
endif()
if(CORVANE_SANITIZE)
    target_compile_options(corvane_compile_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(corvane_compile_options INTERFACE -fsanitize=address,undefined)
endif()
if(CORVANE_FUZZ)
    # Coverage feedback for libFuzzer in every object; the fuzz targets link the fuzzer itself.
    target_compile_options(corvane_compile_options INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    target_link_options(corvane_compile_options INTERFACE -fsanitize=address,undefined)
endif()

# Qt-facing code (client, tests, benchmarks) also gets the strict string macros.
add_library(corvane_qt_options INTERFACE)
target_link_libraries(corvane_qt_options INTERFACE corvane_compile_options)
target_compile_definitions(corvane_qt_options INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING
    QT_USE_QSTRINGBUILDER QT_NO_FOREACH QT_DISABLE_DEPRECATED_BEFORE=0x050F00)

# Tests and benchmarks build their data from literals, so they keep only the container hygiene.
add_library(corvane_test_options INTERFACE)
target_link_libraries(corvane_test_options INTERFACE corvane_compile_options)
target_compile_definitions(corvane_test_options INTERFACE QT_NO_FOREACH)
