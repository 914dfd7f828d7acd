# MOPWELL.HLP, the program's help file, made at build time from the topic
# sources in mopwell/help by our own generator (tools/hlpgen/hlpgen.py).
# The context numbers are those the Documentation tab asks the help viewer
# for (mopwell/src/docs_page.cpp): the generator fails the build when a
# source claims another number or one of them has no topic.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(MOPWELL_HELP_GENERATOR ${CMAKE_SOURCE_DIR}/tools/hlpgen/hlpgen.py)

# mopwell_help_file(TARGET OUTPUT): OUTPUT made by TARGET (built by default),
# made again when a topic source or the generator changes.
function(mopwell_help_file target output)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/mopwell/help/*.txt)
  list(SORT sources)
  add_custom_command(OUTPUT ${output}
    COMMAND ${Python3_EXECUTABLE} ${MOPWELL_HELP_GENERATOR}
            --title "Mopwell Help" --numbers 2,3,4,5 --output ${output} ${sources}
    DEPENDS ${sources} ${MOPWELL_HELP_GENERATOR}
    COMMENT "Making the help file ${output}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
