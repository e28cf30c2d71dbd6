# Debian's hardening flags (what dpkg-buildflags gives with hardening=+all on
# amd64), in every build, so the tests run the code the package ships:
# stack protector (strong), stack clash protection, CET's control-flow
# protection, _FORTIFY_SOURCE=2 where the compiler optimises, format string
# checks, position-independent executables and full RELRO with immediate
# binding. None of them changes a float result: the pictures stay as they
# were (scripts/compare-shots). -DAFTERGLOW_HARDENING=OFF leaves them out.
option(AFTERGLOW_HARDENING "build with Debian's hardening flags" ON)
if(AFTERGLOW_HARDENING)
  # Everything is linked into executables, so the static libraries are
  # compiled as position-independent executable code too (-fPIE, not the
  # -fPIC of shared libraries, which would stop calls being inlined).
  add_compile_options(-fPIE -fstack-protector-strong -fstack-clash-protection -fcf-protection
    -Wformat -Werror=format-security -Wdate-time -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
  # glibc's checks need the optimiser; a debug build would only warn.
  add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  add_link_options(-pie -Wl,-z,relro -Wl,-z,now)
endif()
