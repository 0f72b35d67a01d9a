# A feature layer: its records and store in model/ (no widgets, so they are tested without a window and
# the bridge layer can be answered from them) and its pages beside them, on the shared widgets.
function(fenmar_add_feature name)
  set(dir ${CMAKE_CURRENT_SOURCE_DIR})
  file(GLOB model_sources CONFIGURE_DEPENDS ${dir}/model/*.cpp ${dir}/model/*.h)
  add_library(fenmar_${name}_model STATIC ${model_sources})
  target_include_directories(fenmar_${name}_model PUBLIC ${dir}/model)
  target_link_libraries(fenmar_${name}_model PUBLIC fenmar_bridge)

  file(GLOB page_sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  add_library(fenmar_${name} STATIC ${page_sources})
  target_include_directories(fenmar_${name} PUBLIC ${dir})
  target_link_libraries(fenmar_${name} PUBLIC fenmar_${name}_model fenmar_ui)
endfunction()
