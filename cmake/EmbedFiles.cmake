# lumivale_embed_files(TARGET target FILES name=path ...)
# Turns each file into a constant byte array (a generated .cpp) compiled into TARGET,
# so the program reads no asset from disk at run time.
add_executable(lumivale_embed_tool ${CMAKE_CURRENT_LIST_DIR}/embed_tool.cpp)

function(lumivale_embed_files)
  cmake_parse_arguments(ARG "" "TARGET" "FILES" ${ARGN})
  foreach(entry IN LISTS ARG_FILES)
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 symbol)
    list(GET parts 1 source)
    get_filename_component(source "${source}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/embedded_${symbol}.cpp)
    add_custom_command(
      OUTPUT ${generated}
      COMMAND lumivale_embed_tool ${symbol} ${source} ${generated}
      DEPENDS lumivale_embed_tool ${source}
      COMMENT "Embedding ${source}"
      VERBATIM)
    target_sources(${ARG_TARGET} PRIVATE ${generated})
  endforeach()
endfunction()
