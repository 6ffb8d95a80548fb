# The programs that the end-to-end tests drive. A missing one stops the
# configure step with the list of what is missing, so that a run can never
# look green while it skipped the tests of a whole program. Builds that
# want no end-to-end tests say so with -DBRINDLEMAR_E2E=OFF.
option(BRINDLEMAR_E2E "Register the end-to-end tests (they need Xvfb, xdotool, xwd, ImageMagick and, for Windows, Wine)" ON)

# brindlemar_require_programs(<what they are for> <program>...): finds each
# program into BRINDLEMAR_PROGRAM_<NAME> or fails naming the missing ones.
function(brindlemar_require_programs purpose)
  set(missing)
  foreach(program IN LISTS ARGN)
    string(TOUPPER "${program}" variable)
    string(MAKE_C_IDENTIFIER "BRINDLEMAR_PROGRAM_${variable}" variable)
    find_program(${variable} ${program})
    if(NOT ${variable})
      list(APPEND missing ${program})
    endif()
  endforeach()
  if(missing)
    list(JOIN missing ", " missing_text)
    message(FATAL_ERROR "${purpose} need ${missing_text}, which cannot be found. Install them (scripts/packages.sh "
                        "lists the Debian packages; scripts/test.sh installs them) or configure with "
                        "-DBRINDLEMAR_E2E=OFF to build without the end-to-end tests.")
  endif()
endfunction()
