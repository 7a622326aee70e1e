# The game's icon: drawn as SVG by tools/art/icon.py, rendered by librsvg in
# every size of KLV_ICON_SIZES for the desktop, and carried inside the program
# at 64 px as its window icon. Included from src/CMakeLists.txt once
# klevaria_core exists.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)

set(klv_icon_tool ${CMAKE_SOURCE_DIR}/tools/art/icon.py)
set(klv_icon_svg ${KLV_ICON_DIR}/${KLV_APP_ID}.svg)
set(klv_icon_sources ${klv_icon_tool} ${CMAKE_SOURCE_DIR}/tools/art/common.py
    ${CMAKE_SOURCE_DIR}/tools/art/fish.py)
add_custom_command(
  OUTPUT ${klv_icon_svg}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KLV_ICON_DIR}
  COMMAND Python3::Interpreter ${klv_icon_tool} ${klv_icon_svg}
  DEPENDS ${klv_icon_sources}
  COMMENT "Drawing the icon"
  VERBATIM)

set(klv_icon_files ${klv_icon_svg})
foreach(size ${KLV_ICON_SIZES})
  set(png ${KLV_ICON_DIR}/${size}/${KLV_APP_ID}.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KLV_ICON_DIR}/${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${klv_icon_svg}
    DEPENDS ${klv_icon_svg}
    COMMENT "Rendering the ${size} px icon"
    VERBATIM)
  list(APPEND klv_icon_files ${png})
endforeach()
add_custom_target(desktop-icons ALL DEPENDS ${klv_icon_files})
# The library's window icon comes from the same files: they are made once,
# before it, never by two targets at the same time.
add_dependencies(klevaria_core desktop-icons)

set(klv_window_icon_cpp ${CMAKE_BINARY_DIR}/generated/window_icon_png.cpp)
add_custom_command(
  OUTPUT ${klv_window_icon_cpp}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/art/embed_icon.py ${klv_window_icon_cpp}
          ${KLV_ICON_DIR}/64/${KLV_APP_ID}.png
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/art/embed_icon.py ${KLV_ICON_DIR}/64/${KLV_APP_ID}.png
  COMMENT "Embedding the window icon"
  VERBATIM)
target_sources(klevaria_core PRIVATE ${klv_window_icon_cpp})
