# Run by CPack once the .deb is made (CPACK_POST_BUILD_SCRIPTS), to finish what CPack
# gets wrong, and pack it again:
# - Installed-Size becomes what dpkg-gencontrol counts for the same files, which CPack's own
#   count is not: each file and link its size in KiB rounded up, every folder 1 KiB.
# - CPack adds a postinst and a postrm that run ldconfig whenever a library lies below
#   /usr/lib; the program's libraries are its own, found through $ORIGIN, and ldconfig
#   has nothing to do (lintian warns of the calls). Scripts that do nothing else go.
set(ldconfig_only "^#!/bin/sh\n+set -e\n+if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then\n\tldconfig\nfi\n*$")

foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(unpacked ${deb}.unpacked)
  file(REMOVE_RECURSE ${unpacked})
  execute_process(COMMAND dpkg-deb --raw-extract ${deb} ${unpacked} RESULT_VARIABLE failed ERROR_VARIABLE said)
  if(failed)
    message(FATAL_ERROR "cannot unpack ${deb} to finish it: ${said}")
  endif()

  file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${unpacked} ${unpacked}/*)
  set(kib 1)  # the package's root folder
  foreach(entry IN LISTS entries)
    if(entry MATCHES "^DEBIAN(/|$)")
      continue()
    endif()
    if(IS_SYMLINK ${unpacked}/${entry})
      file(READ_SYMLINK ${unpacked}/${entry} target)
      string(LENGTH "${target}" size)
    elseif(IS_DIRECTORY ${unpacked}/${entry})
      math(EXPR kib "${kib} + 1")
      continue()
    else()
      file(SIZE ${unpacked}/${entry} size)
    endif()
    math(EXPR kib "${kib} + (${size} + 1023) / 1024")
  endforeach()
  file(READ ${unpacked}/DEBIAN/control control)
  string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control "${control}")
  file(WRITE ${unpacked}/DEBIAN/control "${control}")

  foreach(script postinst postrm)
    if(EXISTS ${unpacked}/DEBIAN/${script})
      file(READ ${unpacked}/DEBIAN/${script} text)
      if(text MATCHES "${ldconfig_only}")
        file(REMOVE ${unpacked}/DEBIAN/${script})
      endif()
    endif()
  endforeach()

  execute_process(COMMAND dpkg-deb --root-owner-group --build ${unpacked} ${deb}
                  RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE said)
  file(REMOVE_RECURSE ${unpacked})
  if(failed)
    message(FATAL_ERROR "cannot pack ${deb} again: ${said}")
  endif()
endforeach()
