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

# Debian's hardening (as dpkg-buildflags gives it with hardening=+all) on every
# build but Debug, so build/ and cmake --install give what the package gives:
# stack protector and clash protection, fortified libc calls, format checks,
# control-flow protection where the target has it, read-only relocations bound
# at start, and position-independent programs.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
add_library(pindrel_hardening INTERFACE)
set(pindrel_hardening_flags -fstack-protector-strong -Wformat -Werror=format-security)
foreach(flag -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "PINDREL_HAS${flag}" flag_var)
    check_cxx_compiler_flag(${flag} ${flag_var})
    if(${flag_var})
        list(APPEND pindrel_hardening_flags ${flag})
    endif()
endforeach()
# Sanitizer and fuzz builds check memory themselves; fortified calls would hide accesses from them.
set(pindrel_release $<AND:$<NOT:$<CONFIG:Debug>>,$<NOT:$<BOOL:${PINDREL_SANITIZE}>>,$<NOT:$<BOOL:${PINDREL_FUZZ}>>>)
# Fortify needs the optimiser; -U first, so a value from CXXFLAGS cannot clash with it.
target_compile_options(pindrel_hardening INTERFACE
    "$<${pindrel_release}:${pindrel_hardening_flags};-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
target_link_options(pindrel_hardening INTERFACE "$<${pindrel_release}:LINKER:-z,relro;LINKER:-z,now>")

add_library(pindrel_warnings INTERFACE)
target_compile_options(pindrel_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wnon-virtual-dtor
    $<$<BOOL:${PINDREL_WERROR}>:-Werror>)
target_link_libraries(pindrel_warnings INTERFACE pindrel_sanitizers pindrel_hardening)

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
