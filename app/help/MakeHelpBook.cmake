# Zips the help pages, contents, index and project file of the current
# folder into the help book OUTPUT (a zip archive named .htb).
if(NOT OUTPUT)
  message(FATAL_ERROR "OUTPUT not set")
endif()
file(GLOB pages RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} *.html *.hhp *.hhc *.hhk)
list(SORT pages)
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
file(REMOVE ${OUTPUT})
file(ARCHIVE_CREATE OUTPUT ${OUTPUT} PATHS ${pages} FORMAT zip)
