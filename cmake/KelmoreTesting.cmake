# kelmore_add_test(NAME <name> SOURCES <files...> [LIBS <libs...>] [QT] [OWN_MAIN] [SERIAL])
# Builds one GoogleTest program and registers it with CTest. QT links a main that creates a QApplication;
# OWN_MAIN is for a program that brings its own main (QTEST_MAIN, say). SERIAL is for a program that
# measures real time: CTest runs it alone, so only the machine's other load can stretch what it measures. Each test gets config and data
# folders of its own and the offscreen Qt platform, so no test touches the user's files or needs a display;
# run by hand, the mains give a program temporary folders of its own.
function(kelmore_add_test)
  cmake_parse_arguments(T "QT;OWN_MAIN;SERIAL" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(T_QT)
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test Qt6::Widgets)
  endif()
  if(NOT T_OWN_MAIN)
    if(T_QT)
      target_link_libraries(${T_NAME} PRIVATE kelmore_qt_gtest_main)
    else()
      target_link_libraries(${T_NAME} PRIVATE kelmore_gtest_main)
    endif()
  endif()
  if(TARGET kelmore_share)
    add_dependencies(${T_NAME} kelmore_share)  # tests read the assets beside them
  endif()
  set(home ${CMAKE_BINARY_DIR}/testhome/${T_NAME})
  file(MAKE_DIRECTORY ${home}/config ${home}/data)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 300 ENVIRONMENT
    "XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;QT_QPA_PLATFORM=offscreen;KELMORE_TEST_SOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}")
  if(T_SERIAL)
    set_tests_properties(${T_NAME} PROPERTIES RUN_SERIAL TRUE)
  endif()
endfunction()

add_library(kelmore_qt_gtest_main STATIC ${CMAKE_CURRENT_LIST_DIR}/qt_gtest_main.cpp)
target_link_libraries(kelmore_qt_gtest_main PUBLIC Qt6::Widgets GTest::gtest)
add_library(kelmore_gtest_main STATIC ${CMAKE_CURRENT_LIST_DIR}/gtest_main.cpp)
target_link_libraries(kelmore_gtest_main PUBLIC GTest::gtest)
