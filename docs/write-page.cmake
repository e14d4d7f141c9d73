# Writes the page IN as OUT with the project's web address filled in where the page says
# @KOVRINTA_WEB_ADDRESS@ (the link) and @KOVRINTA_WEB_ADDRESS_SHOWN@ (its text).
#
#   cmake -DIN=page.html -DOUT=docs/en/page.html -DKOVRINTA_WEB_ADDRESS=https://...
#         -DKOVRINTA_WEB_ADDRESS_SHOWN=... -P write-page.cmake
#
# The file is always written, so that its time tells the build it is up to date.
foreach(required IN ITEMS IN OUT KOVRINTA_WEB_ADDRESS KOVRINTA_WEB_ADDRESS_SHOWN)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "write-page.cmake needs -D${required}=...")
  endif()
endforeach()
file(READ ${IN} page)
string(CONFIGURE "${page}" page @ONLY)
file(WRITE ${OUT} "${page}")
