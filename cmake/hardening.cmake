# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Debian's hardening for the release builds and the package: a position-independent program,
# stack protection, fortified libc calls, control-flow protection and a read-only relocation
# table bound at start-up. The flags come from dpkg-buildflags where it is installed, so the
# program is hardened the way Debian builds its own packages, and the rest are set directly.
#
# Only what hardening adds is taken: the difference between dpkg-buildflags with all of it and
# with none of it. Its -O2 and -g stay out, so the build type keeps its own optimisation, and
# nothing here touches the floating-point options the replays depend on.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

set(brivane_hardening_compile "")
set(brivane_hardening_link "")
find_program(BRIVANE_DPKG_BUILDFLAGS dpkg-buildflags)
if(BRIVANE_DPKG_BUILDFLAGS)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        foreach(mode all none)
            set(option "hardening=+all")
            if(mode STREQUAL "none")
                set(option "hardening=-all")
            endif()
            execute_process(
                COMMAND "${CMAKE_COMMAND}" -E env "DEB_BUILD_MAINT_OPTIONS=${option}"
                    "${BRIVANE_DPKG_BUILDFLAGS}" --get "${kind}"
                OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
            separate_arguments(flags_${mode} UNIX_COMMAND "${flags}")
        endforeach()
        foreach(flag IN LISTS flags_all)
            if(NOT flag IN_LIST flags_none)
                if(kind STREQUAL "LDFLAGS")
                    list(APPEND brivane_hardening_link "${flag}")
                else()
                    list(APPEND brivane_hardening_compile "${flag}")
                endif()
            endif()
        endforeach()
    endforeach()
endif()

# What an older dpkg-buildflags leaves out (Debian 12's has neither stack clash nor control-flow
# protection), or everything when it is not installed; only what this compiler knows.
foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "BRIVANE_HAS${flag}" known)
    if(NOT flag IN_LIST brivane_hardening_compile)
        check_cxx_compiler_flag("${flag}" ${known})
        if(${known})
            list(APPEND brivane_hardening_compile "${flag}")
        endif()
    endif()
endforeach()
if(NOT brivane_hardening_compile MATCHES "_FORTIFY_SOURCE")
    # A compiler that fortifies by default would warn about a second definition.
    list(APPEND brivane_hardening_compile -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2)
endif()
foreach(flag -Wl,-z,relro -Wl,-z,now)
    if(NOT flag IN_LIST brivane_hardening_link)
        list(APPEND brivane_hardening_link "${flag}")
    endif()
endforeach()

add_compile_options(${brivane_hardening_compile})
add_link_options(${brivane_hardening_link})
list(JOIN brivane_hardening_compile " " compile_text)
list(JOIN brivane_hardening_link " " link_text)
message(STATUS "Hardening: ${compile_text} ${link_text}")
