# Build settings every folder shares, as INTERFACE targets each target links
# PRIVATE, so no setting leaks into code that did not ask for it.

# Sanitizer builds instrument our code only; every target of ours links
# pindrel_warnings, which carries this target to it.
add_library(pindrel_sanitizers INTERFACE)
if(PINDREL_SANITIZE)
    target_compile_options(pindrel_sanitizers INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(pindrel_sanitizers INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

add_library(pindrel_warnings INTERFACE)
target_compile_options(pindrel_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wnon-virtual-dtor
    $<$<BOOL:${PINDREL_WERROR}>:-Werror>)
target_link_libraries(pindrel_warnings INTERFACE pindrel_sanitizers)

# The version as the code sees it, generated from project(VERSION).
configure_file(${CMAKE_CURRENT_LIST_DIR}/PindrelVersion.h.in ${PROJECT_BINARY_DIR}/generated/PindrelVersion.h @ONLY)
add_library(pindrel_version INTERFACE)
target_include_directories(pindrel_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# Qt code: no silent QString from a byte string (our bytes are not always UTF-8),
# no narrowing in signal-slot connections, and string concatenation that
# allocates once.
add_library(pindrel_qt_config INTERFACE)
target_compile_definitions(pindrel_qt_config INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_USE_QSTRINGBUILDER)
