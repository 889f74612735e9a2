# Runs scripts/check-includes.cmake over a small tree made in WORK whose platform files reach
# the floors above them by other spellings than a plain "common/...": each must be named a
# breach, and the includes that keep the floors must pass.
#
#   cmake -DWORK=<empty directory> -P scripts/check-includes-test.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
function(put file)
  list(JOIN ARGN "\n" text)
  file(WRITE "${WORK}/${file}" "${text}\n")
endfunction()
put(common/Now.h "#pragma once")
put(station/app/MainForm.h "#pragma once")
put(history/Form1.h "#pragma once" "#include \"../common/Now.h\"" "#include <platform/Base.h>")
put(platform/Base.h "#pragma once" "#include <vector>" "#include \"./Base2.h\"")
put(platform/Base2.h "#pragma once")
put(platform/gui/Angle.cpp "#include \"Base.h\"" "#include <common/Now.h>")
put(platform/UpAndOver.cpp "#include \"../station/app/MainForm.h\"")
put(platform/Detour.cpp "#include \"platform/../history/Form1.h\"")

execute_process(COMMAND "${CMAKE_COMMAND}" -DROOT=${WORK}
                        -P "${CMAKE_CURRENT_LIST_DIR}/check-includes.cmake"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
set(expected
    "floor: platform/gui/Angle.cpp includes <common/Now.h>"
    "floor: platform/UpAndOver.cpp includes \"../station/app/MainForm.h\", that is station/app/MainForm.h"
    "floor: platform/Detour.cpp includes \"platform/../history/Form1.h\", that is history/Form1.h"
    "3 include breach(es) in 8 files")
foreach(line IN LISTS expected)
  string(FIND "${out}" "${line}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the include check did not report: ${line}")
  endif()
endforeach()
if(rc EQUAL 0)
  message(FATAL_ERROR "the include check passed a tree with floor breaches")
endif()
