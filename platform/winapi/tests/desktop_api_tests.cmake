vantrel_add_test(desktop_api_tests
  SOURCES profile_file_test.cpp desktop_exec_line_test.cpp folders_test.cpp
  LIBS vantrel_desktop_api)
