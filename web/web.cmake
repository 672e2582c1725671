# The web build (included by the top CMakeLists.txt under Emscripten). web.sh passes the libraries
# built for the web (through CMAKE_FIND_ROOT_PATH and pkg-config), the bitmap resources and the
# data folder made by a native build.
set(VOR_RESOURCES_CPP "" CACHE FILEPATH "Resources.cpp drawn by a native build")
set(VOR_WEB_DATA "" CACHE PATH "The folder the page ships as the game's folder")
if(NOT EXISTS "${VOR_RESOURCES_CPP}" OR NOT IS_DIRECTORY "${VOR_WEB_DATA}")
  message(FATAL_ERROR "The web build needs VOR_RESOURCES_CPP and VOR_WEB_DATA from a native build (./web.sh)")
endif()

# Every browser the page plays in runs WebAssembly's bulk memory and 128-bit vector operations:
# frame copies and fills become the machine's own block copies and vector loops rather than byte
# loops and calls out to JavaScript. (The flags hold for every target of this folder, whenever it
# was declared.)
string(APPEND CMAKE_C_FLAGS " -mbulk-memory -msimd128")
string(APPEND CMAKE_CXX_FLAGS " -mbulk-memory -msimd128")

# The web has no metafile decoder and no threads: the build without metafile pictures, and the
# page's own worker in place of threads.
file(GLOB vor_image_web_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/image/*.cpp)
list(FILTER vor_image_web_srcs EXCLUDE REGEX "/(Metafile|EnhancedMetafile)\\.cpp$")
set_property(TARGET vor_image PROPERTY SOURCES ${vor_image_web_srcs}
             ${CMAKE_SOURCE_DIR}/src/image/nometafile/MetafileNone.cpp)
target_sources(vor_platform PRIVATE ${CMAKE_SOURCE_DIR}/src/platform/web/WorkerWeb.cpp
            ${CMAKE_SOURCE_DIR}/src/platform/web/HttpWeb.cpp)

# The backend: the sdl one's window, input and sound on the page's canvas, wrapped by the page's.
file(GLOB vor_backend_web_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/sdl/*.cpp)
list(FILTER vor_backend_web_srcs EXCLUDE REGEX "/Install\\.cpp$")
add_library(vor_backend_web STATIC ${vor_backend_web_srcs}
            ${CMAKE_SOURCE_DIR}/src/platform/web/SystemWeb.cpp)
target_link_libraries(vor_backend_web PUBLIC vor_platform PRIVATE PkgConfig::SDL2)
target_compile_definitions(vor_backend_web PRIVATE VOR_APP_ID="${VOR_APP_ID}")
set(VOR_BACKEND vor_backend_web)

add_library(vor_resources STATIC ${VOR_RESOURCES_CPP})
target_include_directories(vor_resources PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(vor_platform PUBLIC vor_resources)

# The program: vor.js, vor.wasm and vor.data (the game's folder, mounted at /vor).
function(vor_web_page target)
  # Only the loops that wait for the next tick or for the loading sleep; every other function runs
  # as plain code, so a tick costs what it costs natively. The list is checked against the built
  # libraries after each link (check-waiting-loops.cmake), so a renamed loop fails the build.
  set(lists ${CMAKE_BINARY_DIR}/web-settings)
  set(waiting_loops ${CMAKE_SOURCE_DIR}/src/platform/web/waiting-loops.json)
  # SDL's web audio and timers call these from JavaScript.
  file(WRITE ${lists}/library-funcs.json [=[["$autoResumeAudioContext", "$dynCall"]]=])
  target_link_options(${target} PRIVATE
    -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB -sENVIRONMENT=web -sFORCE_FILESYSTEM=1
    -sASYNCIFY -sASYNCIFY_ONLY=@${waiting_loops}
    -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${lists}/library-funcs.json
    -sEXPORTED_RUNTIME_METHODS=FS,ccall,UTF8ToString
    -sEXPORTED_FUNCTIONS=_main,_vor_state_json,_malloc,_free
    --preload-file ${VOR_WEB_DATA}@/vor)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VOR_WEB_DATA} ${waiting_loops})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DNM=emnm -DNAMES=${waiting_loops}
            "-DLIBS=$<TARGET_FILE:vor_game>;$<TARGET_FILE:vor_backend_web>"
            -P ${CMAKE_SOURCE_DIR}/web/check-waiting-loops.cmake
    VERBATIM)
  set_target_properties(${target} PROPERTIES SUFFIX ".js")
endfunction()
