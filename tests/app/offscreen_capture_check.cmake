# Runs the demo program offscreen for 60 frames with a capture every 30 and checks that exactly
# frames 0 and 30 were written. Called with -DDEMO=<program> -DOUT=<directory>.
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${DEMO}" --offscreen --frames 60 --capture "${OUT}" --capture-every 30
                RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "zentu-demo ended with ${result}: ${errors}")
endif()
file(GLOB frames RELATIVE "${OUT}" "${OUT}/*")
list(SORT frames)
if(NOT frames STREQUAL "frame-000000.png;frame-000030.png")
  message(FATAL_ERROR "expected frame-000000.png and frame-000030.png, found: ${frames}")
endif()
file(READ "${OUT}/frame-000030.png" signature LIMIT 8 HEX)
if(NOT signature STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "frame-000030.png is not a PNG file")
endif()
file(REMOVE_RECURSE "${OUT}")
