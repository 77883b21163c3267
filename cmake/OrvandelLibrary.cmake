# Each library reaches the headers of exactly the libraries it links, so that an include across
# the layers that the link does not allow fails to compile. Headers are included as
# "<folder>/<file>.h"; instead of the source tree as one include root, every folder gets a root of
# its own in the build tree holding a single link to the folder.

# orvandel_expose_headers(<target> <folder>): users of the target (PUBLIC) and the target itself
# include "<folder>/..." and nothing else through it. <folder> is relative to the source tree and
# may have several parts ("tests/support").
function(orvandel_expose_headers target folder)
  string(REPLACE "/" "_" root_name ${folder})
  set(root ${CMAKE_BINARY_DIR}/include/${root_name})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT EXISTS ${root}/${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_include_directories(${target} PRIVATE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# orvandel_use_qt(<target>...): the targets link Qt Widgets and run Qt's moc; nothing else does.
function(orvandel_use_qt)
  foreach(target ${ARGN})
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
  endforeach()
endfunction()
