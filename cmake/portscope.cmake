# The separate port monitor: src/portscope (no Qt) -> portscope_core, src/portscope/gui ->
# portscope_gui, gui/main.cpp -> portscope (the windows only with CORVANE_GUI). It links
# corvane_common and nothing else of corvane, and lands beside corvane, where Help finds it.
set(portscope_dir ${PROJECT_SOURCE_DIR}/src/portscope)
file(GLOB portscope_core_srcs CONFIGURE_DEPENDS ${portscope_dir}/*.cpp ${portscope_dir}/*.h)
file(GLOB portscope_gui_srcs CONFIGURE_DEPENDS ${portscope_dir}/gui/*.cpp ${portscope_dir}/gui/*.h)
list(FILTER portscope_gui_srcs EXCLUDE REGEX "/main\\.cpp$")
if(portscope_core_srcs)
  foreach(f IN LISTS portscope_core_srcs)
    file(STRINGS ${f} qt_lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q[A-Za-z]")
    if(qt_lines)
      message(FATAL_ERROR "${f} includes Qt, but only src/portscope/gui may: ${qt_lines}")
    endif()
  endforeach()
  add_library(portscope_core STATIC ${portscope_core_srcs})
  target_include_directories(portscope_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(portscope_core PUBLIC corvane_common)
  target_compile_options(portscope_core PRIVATE ${CORVANE_WARNINGS})
  set_target_properties(portscope_core PROPERTIES AUTOMOC OFF)

endif()

if(portscope_core_srcs AND CORVANE_GUI)
  # The one piece of window-system glue both programs need: it depends on Qt and xcb only.
  add_library(portscope_gui STATIC ${portscope_gui_srcs}
              ${PROJECT_SOURCE_DIR}/src/platform/gui/x11_colormap.cpp
              ${PROJECT_SOURCE_DIR}/src/platform/gui/real_display.cpp)
  target_link_libraries(portscope_gui PUBLIC portscope_core Qt6::Widgets PkgConfig::XCB)
  target_compile_options(portscope_gui PRIVATE ${CORVANE_WARNINGS})

  add_executable(portscope ${portscope_dir}/gui/main.cpp)
  target_link_libraries(portscope PRIVATE portscope_gui)
  target_compile_options(portscope PRIVATE ${CORVANE_WARNINGS})
  # corvane's Help command starts the portscope that stands beside it.
  set_target_properties(portscope PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  if(TARGET corvane)
    set_target_properties(corvane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
    add_dependencies(corvane portscope)
  endif()
endif()
