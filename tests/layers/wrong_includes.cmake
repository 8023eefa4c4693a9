# The include check refuses a header of a floor a folder may not use in each form an include
# can take, and lets a legal one pass in each form.
#
#   cmake -DFLOORS=<table> -DCHECK=<check_layers.cmake> -DWORK=<scratch folder> -P wrong_includes.cmake

cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/shell/frm_piano.h "")
file(WRITE ${WORK}/midi/sender/send_order.h "")
file(WRITE ${WORK}/midi/midi_system.h "")
# Wrong, one per form.
file(WRITE ${WORK}/platform/angle.cpp "#include <shell/frm_piano.h>\n")
file(WRITE ${WORK}/foundation/quoted.cpp "// first\n#include \"shell/frm_piano.h\"\n")
file(WRITE ${WORK}/midi/relative.cpp "#include \"../shell/frm_piano.h\"\n")
file(WRITE ${WORK}/midi/below.cpp "  #  include \"sender/send_order.h\"\n")
# Right, in the same forms.
file(WRITE ${WORK}/midi/sender/fine.cpp
     "#include <midi/midi_system.h>\n#include \"send_order.h\"\n#include \"../midi_system.h\"\n#include <vector>\n")

execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK} -DFLOORS=${FLOORS} -P ${CHECK}
                RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_VARIABLE output)
if(result EQUAL 0)
    message(FATAL_ERROR "the check let every include pass:\n${errors}")
endif()
foreach(expected "platform/angle.cpp:1:" "foundation/quoted.cpp:2:" "midi/relative.cpp:1:"
        "midi/below.cpp:1:" "4 include\\(s\\) break")
    if(NOT errors MATCHES "${expected}")
        message(FATAL_ERROR "not refused: ${expected}\n${errors}")
    endif()
endforeach()
if(errors MATCHES "fine.cpp")
    message(FATAL_ERROR "a legal include was refused:\n${errors}")
endif()
