# kovrinta_program_test(NAME SOURCES...): a test executable of the program over the fake
# library (devices and timer recorded, files read by the real library).
function(kovrinta_program_test name)
  add_executable(${name} ${ARGN} ${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp)
  target_include_directories(${name} PRIVATE
    ${CMAKE_SOURCE_DIR}/tests/support ${CMAKE_SOURCE_DIR}/tests/vxmidi
    ${CMAKE_SOURCE_DIR}/tests/vxmidi/fake)
  target_compile_definitions(${name} PRIVATE
    VXMIDI_FAKE_LIBRARY="$<TARGET_FILE:VxMidiFake>"
    VXMIDI_REAL_LIBRARY="$<TARGET_FILE:VxMidi>"
    KOVRINTA_PROGRAM_DIR="${KOVRINTA_PROGRAM_DIR}"
    KOVRINTA_MIDI_SAMPLES="${KOVRINTA_MIDI_SAMPLES}")
  add_dependencies(${name} VxMidiFake VxMidi)
  target_link_libraries(${name} PRIVATE Kovrinta::app GTest::gtest Kovrinta::warnings)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120
    ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()
