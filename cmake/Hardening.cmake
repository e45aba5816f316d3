# Hardening as Debian builds its packages: the stack protector (strong),
# _FORTIFY_SOURCE, full RELRO with immediate binding (BIND_NOW), and PIE for
# every program, above all the echo helper, which holds cap_net_raw.
#
# The flags come from dpkg-buildflags with hardening=+all where it exists, so
# the build follows the distribution (a dpkg that fortifies at level 3 gives
# level 3); elsewhere from the same list written out below. Only what the
# hardening adds is taken: optimisation and debug flags stay the build type's.
option(VQ_HARDEN "Build with the distribution's hardening flags" ON)
if(NOT VQ_HARDEN)
  return()
endif()

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

find_program(VQ_DPKG_BUILDFLAGS dpkg-buildflags)
mark_as_advanced(VQ_DPKG_BUILDFLAGS)

# Sets `out` to the flags of `kind` (CPPFLAGS, CXXFLAGS, LDFLAGS) that
# hardening=+all adds to what dpkg-buildflags gives with hardening=-all.
function(vq_dpkg_hardening_flags kind out)
  foreach(setting plus minus)
    if(setting STREQUAL "plus")
      set(option hardening=+all)
    else()
      set(option hardening=-all)
    endif()
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=${option} ${VQ_DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed; configure with -DVQ_HARDEN=OFF to build without hardening")
    endif()
    separate_arguments(${setting} UNIX_COMMAND "${flags}")
  endforeach()
  if(minus)
    list(REMOVE_ITEM plus ${minus})
  endif()
  set(${out} ${plus} PARENT_SCOPE)
endfunction()

if(VQ_DPKG_BUILDFLAGS)
  vq_dpkg_hardening_flags(CPPFLAGS vq_harden_cpp)
  vq_dpkg_hardening_flags(CXXFLAGS vq_harden_cxx)
  vq_dpkg_hardening_flags(LDFLAGS vq_harden_ld)
else()
  set(vq_harden_cpp -D_FORTIFY_SOURCE=2)
  set(vq_harden_cxx -fstack-protector-strong -Wformat -Werror=format-security)
  set(vq_harden_ld -Wl,-z,relro -Wl,-z,now)
endif()

# _FORTIFY_SOURCE checks only what the optimiser can see, and glibc warns
# without optimisation: it is left out of Debug builds. Under the address
# sanitizer, which checks every access anyway, it is left out too.
set(vq_fortify ${vq_harden_cpp})
list(FILTER vq_fortify INCLUDE REGEX "^-D_FORTIFY_SOURCE")
list(FILTER vq_harden_cpp EXCLUDE REGEX "^-D_FORTIFY_SOURCE")
if(VQ_SANITIZE)
  set(vq_fortify)
elseif(vq_fortify)
  # A compiler that defines it already would warn about the redefinition.
  list(PREPEND vq_fortify -U_FORTIFY_SOURCE)
endif()

add_compile_options(${vq_harden_cpp} ${vq_harden_cxx})
foreach(flag IN LISTS vq_fortify)
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:${flag}>")
endforeach()
add_link_options(${vq_harden_ld})
list(JOIN vq_harden_cxx " " compile_summary)
list(JOIN vq_harden_ld " " link_summary)
if(vq_fortify)
  list(JOIN vq_fortify " " fortify_summary)
  string(APPEND fortify_summary " (not in Debug builds)")
else()
  set(fortify_summary "no _FORTIFY_SOURCE")
endif()
message(STATUS "Hardening: PIE, ${compile_summary}, ${fortify_summary}, ${link_summary}")
