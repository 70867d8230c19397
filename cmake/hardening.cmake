# Debian's hardening flags, as dpkg-buildflags gives them with every hardening
# feature on: format-string checks, _FORTIFY_SOURCE, the strong stack
# protector, read-only relocations bound at start (relro, bind-now) and a
# position-independent executable. The release build and the package built
# from it are hardened as Debian's own packages are. The optimisation level
# and debug information stay the build type's (-g -O2 are left out), and the
# reproducibility flags, which name the source folder, are not asked for.
# Debug, sanitizer (address, thread) and fuzzing builds, and Windows, keep
# their own flags.
#   VESKTEST_HARDENED  set ON when the flags were applied
option(VESKTEST_HARDENING "Build with Debian's hardening flags (dpkg-buildflags)" ON)
set(VESKTEST_HARDENED OFF)
find_program(VESKTEST_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT VESKTEST_HARDENING OR WIN32 OR VESKTEST_SANITIZE OR VESKTEST_SANITIZE_THREAD OR VESKTEST_FUZZ
   OR CMAKE_BUILD_TYPE STREQUAL "Debug")
  return()
endif()
if(NOT VESKTEST_DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found (package dpkg-dev): building without hardening flags")
  return()
endif()

foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env
            "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-all"
            "DEB_CXXFLAGS_MAINT_STRIP=-g -O2"
            ${VESKTEST_DPKG_BUILDFLAGS} --get ${kind}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed: ${status}")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  if(kind STREQUAL "LDFLAGS")
    add_link_options(${flags})
  else()
    add_compile_options(${flags})
  endif()
  message(STATUS "Hardening ${kind}: ${flags}")
endforeach()
set(VESKTEST_HARDENED ON)
