# The browser players are ES modules (and the style sheets they import) under
# resources/AppFiles/TmplData/<player>/src, bundled by scripts/build_players.mjs (esbuild from
# npm, installed by scripts/setup.sh) into the single scripts a book ships. The bundles are
# written beside their sources, so publishing from the build tree, the installed program (which
# installs AppFiles after the build) and the tests all find them. Every build tree shares them.
find_program(LEAFCRAFT_NODE_FOR_PLAYERS node REQUIRED)
set(_players_script "${CMAKE_SOURCE_DIR}/scripts/build_players.mjs")
file(GLOB_RECURSE _player_sources CONFIGURE_DEPENDS
     "${CMAKE_SOURCE_DIR}/resources/AppFiles/TmplData/*/src/*.js"
     "${CMAKE_SOURCE_DIR}/resources/AppFiles/TmplData/*/src/*.css"
     "${CMAKE_SOURCE_DIR}/resources/AppFiles/TmplData/*/*/src/*.js")
execute_process(COMMAND "${LEAFCRAFT_NODE_FOR_PLAYERS}" "${_players_script}" --list
                OUTPUT_VARIABLE _player_bundles OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" _player_bundles "${_player_bundles}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_players_script}")
add_custom_command(
    OUTPUT ${_player_bundles}
    COMMAND "${LEAFCRAFT_NODE_FOR_PLAYERS}" "${_players_script}"
    DEPENDS "${_players_script}" ${_player_sources} "${CMAKE_SOURCE_DIR}/package-lock.json"
    WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}"
    COMMENT "Bundling the browser players"
    VERBATIM)
add_custom_target(leafcraft_players ALL DEPENDS ${_player_bundles})
