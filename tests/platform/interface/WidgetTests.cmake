# Tests of the widgets on the headless screen.
set(WIDGET_TEST_PRIVATE ${CVAB_ROOT}/platform/private ${CVAB_ROOT}/platform/private/widgets
  ${CVAB_ROOT}/platform/private/display ${CVAB_ROOT}/platform/server)
cvab_test(interface_invoker SOURCES InvokerTest.cpp DEPS platform_interface platform_app
  PRIVATE_DIRS ${WIDGET_TEST_PRIVATE})
cvab_test(interface_list_view SOURCES ListViewTest.cpp WindowTestSupport.cpp
  DEPS platform_interface platform_server platform_app PRIVATE_DIRS ${WIDGET_TEST_PRIVATE})
cvab_test(interface_scroll_bar SOURCES ScrollBarTest.cpp WindowTestSupport.cpp
  DEPS platform_interface platform_server platform_app PRIVATE_DIRS ${WIDGET_TEST_PRIVATE})
cvab_test(interface_text_view SOURCES TextViewTest.cpp ButtonTest.cpp WindowTestSupport.cpp
  DEPS platform_interface platform_server platform_app PRIVATE_DIRS ${WIDGET_TEST_PRIVATE})
cvab_test(interface_menus SOURCES MenuTest.cpp WindowTestSupport.cpp
  DEPS platform_interface platform_server platform_app PRIVATE_DIRS ${WIDGET_TEST_PRIVATE})
cvab_test(interface_alert SOURCES AlertTest.cpp WindowTestSupport.cpp
  DEPS platform_interface platform_server platform_app PRIVATE_DIRS ${WIDGET_TEST_PRIVATE})
find_package(PkgConfig REQUIRED)
pkg_check_modules(CVAB_WIDGET_TEST_FONTS REQUIRED IMPORTED_TARGET fontconfig)
cvab_test(interface_scripts
  SOURCES ScriptsDrawnTest.cpp WindowTestSupport.cpp ${CVAB_ROOT}/tests/platform/server/ScriptSamples.cpp
  DEPS platform_interface platform_server platform_app PkgConfig::CVAB_WIDGET_TEST_FONTS
  PRIVATE_DIRS ${WIDGET_TEST_PRIVATE} ${CVAB_ROOT}/tests/platform/server)
