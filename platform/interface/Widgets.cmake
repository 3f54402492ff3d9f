# The widgets of the interface kit, part of platform_interface. Their private
# editing and list models live in platform/private/widgets.
target_sources(platform_interface PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Alert.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Button.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Invoker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListItem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScrollBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScrollView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringItem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextBuffer.cpp)
target_include_directories(platform_interface PRIVATE ${CVAB_PLATFORM_PRIVATE}/widgets)
target_sources(platform_interface PRIVATE ${CMAKE_CURRENT_LIST_DIR}/TextView.cpp)
target_sources(platform_interface PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuItem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuLook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuPopup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuTracker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SeparatorItem.cpp)
