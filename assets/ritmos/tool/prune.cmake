# cmake -DFOLDER=... -DKEEP="a.mid;b.mid" -P prune.cmake: removes the MIDI files of the
# rhythm folder that no groove writes any more, so that a renamed or removed groove does
# not linger in a developer's build.
cmake_minimum_required(VERSION 3.25)
file(GLOB present RELATIVE ${FOLDER} ${FOLDER}/*.mid)
foreach(name IN LISTS present)
  if(NOT name IN_LIST KEEP)
    message(STATUS "Removing the old groove ${name}")
    file(REMOVE ${FOLDER}/${name})
  endif()
endforeach()
