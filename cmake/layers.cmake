# The program's layers, each a library: app -> host -> engine (tray, commands,
# interpreter) -> base (text, file and system routines) -> platform interface
# <- Windows layer. A library sees its own headers and, through the libraries
# it links, those of the layers below it; never those above, so an include of
# a higher layer's header does not compile.
#
# A layer's include folder in the build tree holds links to its source
# folders or headers, so that every source keeps its place and includes stay
# written from src/ ("base/text.hpp").
set(VELMORA_LAYERS ${PROJECT_BINARY_DIR}/layers)
# Made afresh at each configure, so that no link of an earlier layout (a
# header since moved to another layer, a moved source tree) lingers.
file(REMOVE_RECURSE ${VELMORA_LAYERS})

# velmora_layer_headers(<layer> <folder or header under src/>...)
function(velmora_layer_headers layer)
  foreach(path IN LISTS ARGN)
    set(link ${VELMORA_LAYERS}/${layer}/${path})
    set(target ${PROJECT_SOURCE_DIR}/src/${path})
    get_filename_component(folder ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK ${target} ${link} SYMBOLIC)
  endforeach()
endfunction()
