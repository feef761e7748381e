kvr_add_fuzz(slotimport
  SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/slotimport_fuzz.cpp ${CMAKE_SOURCE_DIR}/src/app/slotimport.cpp
         ${CMAKE_SOURCE_DIR}/src/app/projectaccess.cpp ${CMAKE_SOURCE_DIR}/src/app/checklist.cpp
  DEPS kvr_model)
