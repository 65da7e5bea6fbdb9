# The desktop services that the utility library builds on: profile files, the temporary and
# settings folders, short paths, the program associated with a file, process start and beep.
add_library(vantrel_desktop_api STATIC
  associated_program.cpp
  beep.cpp
  desktop_exec_line.cpp
  process_start.cpp
  profile_file.cpp
  short_path.cpp
  system_folder.cpp
  temp_folder.cpp
)
set_target_properties(vantrel_desktop_api PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(vantrel_desktop_api PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vantrel_desktop_api PUBLIC Qt6::Core)

add_subdirectory(tests)
