# kovrinta_program_test(NAME [JACK] SOURCES...): a test executable of the program over the fake
# library (devices and timer recorded, files read by the real library). JACK: some of its tests
# start a JACK server of their own; jack2 runs at most 8 at once, so those tests take turns.
function(kovrinta_program_test name)
  set(sources ${ARGN})
  set(lock)
  if(sources AND "${ARGV1}" STREQUAL "JACK")
    list(REMOVE_AT sources 0)
    set(lock RESOURCE_LOCK jackd)
  endif()
  add_executable(${name} ${sources} ${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp)
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
    ENVIRONMENT QT_QPA_PLATFORM=offscreen ${lock})
endfunction()
