# tintora_man_page(TARGET PAGE): installs the manual page PAGE (a file made
# in the build) compressed, as Debian keeps manual pages, and makes it with
# the default build through TARGET.
include(GNUInstallDirs)
find_program(GZIP_PROGRAM gzip REQUIRED)

function(tintora_man_page target page)
  get_filename_component(name ${page} NAME)
  set(compressed ${page}.gz)
  # -n leaves out the name and time, so the same page gives the same bytes;
  # -k keeps the page itself for man -l.
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${GZIP_PROGRAM} -9 -n -k -f ${page}
    DEPENDS ${page}
    COMMENT "Compressing the manual page ${name}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
