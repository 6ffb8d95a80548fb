# Drives brindlemar-render as a user would. Run with
#   cmake -DRENDER=<program> -DWORK=<scratch dir> -P render_check.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(render)
  execute_process(COMMAND "${RENDER}" ${ARGN} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "brindlemar-render ${ARGN} failed (${rc}): ${err}")
  endif()
endfunction()

function(expect_same a b)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${a}" "${b}" RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "${a} and ${b} differ")
  endif()
endfunction()

# Refused options: exit status 2, a message, and no file.
foreach(bad "--frobnicate" "--grains" "--grains;5" "--activity;abc" "--size;640" "--size;10x10"
            "--configuration;Nowhere" "--style-values;1,2,3" "--preset;Nowhere" "--gallery;${WORK}/bad.png")
  execute_process(COMMAND "${RENDER}" ${bad} --out "${WORK}/bad.png" RESULT_VARIABLE rc OUTPUT_QUIET
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 2 OR err STREQUAL "")
    message(FATAL_ERROR "'${bad}' gave exit status ${rc} and message '${err}'")
  endif()
endforeach()
if(EXISTS "${WORK}/bad.png")
  message(FATAL_ERROR "a refused command line wrote a file")
endif()

execute_process(COMMAND "${RENDER}" --help RESULT_VARIABLE rc OUTPUT_VARIABLE help)
if(NOT rc EQUAL 0 OR NOT help MATCHES "--style-values" OR NOT help MATCHES "Brindlemar Falls")
  message(FATAL_ERROR "--help gave exit status ${rc}")
endif()

# The same seed and options give the same bytes; numbered frames are the
# frames a shorter run ends on.
set(common --size 96x64 --configuration Fountain --grains 3000 --dot-style sparkles)
render(${common} --frames 12 --seed 7 --out "${WORK}/a.png")
render(${common} --frames 12 --seed 7 --out "${WORK}/b.png")
expect_same("${WORK}/a.png" "${WORK}/b.png")
render(${common} --frames 12 --seed 7 --every 6 --out-dir "${WORK}/frames")
expect_same("${WORK}/a.png" "${WORK}/frames/frame_00012.png")
render(${common} --frames 6 --seed 7 --out "${WORK}/six.png")
expect_same("${WORK}/six.png" "${WORK}/frames/frame_00006.png")

file(READ "${WORK}/a.png" signature LIMIT 8 HEX)
if(NOT signature STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "a.png is not a PNG file")
endif()

# A preset renders its fast record.
set(small --size 96x64 --frames 5 --seed 3)
render(${small} --preset "brindlemar falls" --out "${WORK}/preset.png")
render(${small} --record "Brindlemar Falls,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1"
       --out "${WORK}/record.png")
expect_same("${WORK}/preset.png" "${WORK}/record.png")

# The gallery: 8 x 7 tiles of 32x24 with a 12-pixel label strip under each
# and a 4-pixel gutter around them.
render(--gallery "${WORK}/gallery.png" --size 32x24 --frames 3)
file(READ "${WORK}/gallery.png" header OFFSET 16 LIMIT 8 HEX)
if(NOT header STREQUAL "000001240000011c")
  message(FATAL_ERROR "gallery.png is not 292x284: IHDR ${header}")
endif()

# The output file: a link is written through and stays a link; a failed
# write leaves whatever was at the path as it was (a device behind a link, a
# file whose new picture outgrows the file size limit) and no temporary file.
file(WRITE "${WORK}/real.png" "")
file(CREATE_LINK "real.png" "${WORK}/link.png" SYMBOLIC)
render(${small} --preset "brindlemar falls" --out "${WORK}/link.png")
if(NOT IS_SYMLINK "${WORK}/link.png")
  message(FATAL_ERROR "writing through link.png replaced the link")
endif()
expect_same("${WORK}/real.png" "${WORK}/preset.png")

file(CREATE_LINK /dev/full "${WORK}/full.png" SYMBOLIC)
execute_process(COMMAND "${RENDER}" ${small} --out "${WORK}/full.png" RESULT_VARIABLE rc OUTPUT_QUIET
                ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "No space left")
  message(FATAL_ERROR "writing to /dev/full gave exit status ${rc} and message '${err}'")
endif()
if(NOT IS_SYMLINK "${WORK}/full.png")
  message(FATAL_ERROR "a failed write to /dev/full removed the link to it")
endif()

file(WRITE "${WORK}/kept.png" "the picture before")
execute_process(COMMAND sh -c "trap '' XFSZ; ulimit -f 1; exec \"$0\" \"$@\"" "${RENDER}" --size 320x240
                        --grains 20000 --frames 5 --out "${WORK}/kept.png"
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
file(READ "${WORK}/kept.png" kept)
if(rc EQUAL 0 OR NOT kept STREQUAL "the picture before")
  message(FATAL_ERROR "a write beyond the file size limit gave exit status ${rc} and left '${kept}'")
endif()

file(GLOB temporaries "${WORK}/*.tmp-*")
if(temporaries)
  message(FATAL_ERROR "temporary files left behind: ${temporaries}")
endif()
