# The accessibility kit, part of platform_interface: the windows, views and menus
# as ATK objects on their own thread, and the bridge to the desktop's
# accessibility bus, started when a screen reader wants it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CVAB_ATK REQUIRED IMPORTED_TARGET atk atk-bridge-2.0 gio-2.0)
target_sources(platform_interface PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AccessibilityService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Accessible.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleActions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleApplication.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleCell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleLabel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleMenuItem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleRow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleScrollBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleSelection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleUtil.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeySymbols.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReaderWatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextRanges.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowHold.cpp)
target_include_directories(platform_interface PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(platform_interface PRIVATE PkgConfig::CVAB_ATK)
