# klevaria --replay FILE --check from the outside: a game recorded by the
# headless runner checks out (0), and a damaged, foreign or edited file is
# refused with a reason (1).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
foreach(sub Data Sound)
  file(CREATE_LINK ${GAME_DIR}/${sub} ${WORK}/${sub} SYMBOLIC)
endforeach()
file(WRITE ${WORK}/game.kls "seed 8\nwait 300\nkey Return\nwait 2500\nautopilot on\nwait 8000\nautopilot off\nkey Escape\nkey Y\nwait 100\n")
execute_process(COMMAND ${SCRIPT_RUNNER} --appdir ${WORK} ${WORK}/game.kls RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK}/replays/last.klr)
  message(FATAL_ERROR "the script made no replay (status ${rc})")
endif()
set(good ${WORK}/replays/last.klr)

function(check file want_rc want_text)
  execute_process(COMMAND ${GAME} --replay ${file} --check
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL want_rc OR NOT "${out}${err}" MATCHES "${want_text}")
    message(FATAL_ERROR "${file}: status ${rc}, want ${want_rc} and '${want_text}':\n${out}${err}")
  endif()
endfunction()

check(${good} 0 "^score [0-9]+, level [0-9]+, name")
check(${WORK}/game.kls 1 "not a replay of this game")
check(${WORK}/missing.klr 1 "missing.klr: No such file")
file(READ ${good} hex HEX)
string(LENGTH "${hex}" n)
math(EXPR half "${n} / 2")
string(SUBSTRING "${hex}" 0 ${half} cut)
# Writes hex digits back as bytes.
function(write_hex path digits)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${digits}")
  execute_process(COMMAND printf "${escaped}" OUTPUT_FILE ${path})
endfunction()
write_hex(${WORK}/cut.klr "${cut}")
check(${WORK}/cut.klr 1 "truncated")
# Another format version in the header.
string(SUBSTRING "${hex}" 0 8 head)
math(EXPR rest_at "10")
string(SUBSTRING "${hex}" ${rest_at} -1 rest)
write_hex(${WORK}/v9.klr "${head}09${rest}")
check(${WORK}/v9.klr 1 "format version 9")
