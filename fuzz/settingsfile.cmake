kvr_add_fuzz(settingsfile
  SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/settingsfile_fuzz.cpp ${CMAKE_SOURCE_DIR}/src/app/preferences.cpp
         ${CMAKE_SOURCE_DIR}/src/app/recent.cpp ${CMAKE_SOURCE_DIR}/src/service/maintenance/accesscode.cpp
  DEPS kvr_platform)
