# The four sound effects are synthesised at build time into ${CMAKE_BINARY_DIR}/sfx
# and carried inside the program as byte arrays (see app/embedded_waves.h).
# Included from src/CMakeLists.txt once klevaria_core exists.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(KLV_SFX_DIR ${CMAKE_BINARY_DIR}/sfx)
set(KLV_SFX_NAMES Up Poimal Level Over)
set(KLV_SFX_TOOL ${CMAKE_SOURCE_DIR}/tools/sfx/make_sfx.py)
set(KLV_SFX_EMBED ${CMAKE_SOURCE_DIR}/tools/sfx/embed_files.py)
set(KLV_SFX_CPP ${CMAKE_BINARY_DIR}/generated/embedded_waves.cpp)

set(klv_sfx_wavs)
set(klv_sfx_pairs)
foreach(n ${KLV_SFX_NAMES})
  list(APPEND klv_sfx_wavs ${KLV_SFX_DIR}/${n}.wav)
  list(APPEND klv_sfx_pairs ${n}=${KLV_SFX_DIR}/${n}.wav)
endforeach()

add_custom_command(
  OUTPUT ${klv_sfx_wavs}
  COMMAND Python3::Interpreter ${KLV_SFX_TOOL} ${KLV_SFX_DIR}
  DEPENDS ${KLV_SFX_TOOL}
  COMMENT "Synthesising sound effects"
  VERBATIM)

add_custom_command(
  OUTPUT ${KLV_SFX_CPP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND Python3::Interpreter ${KLV_SFX_EMBED} ${KLV_SFX_CPP} ${klv_sfx_pairs}
  DEPENDS ${KLV_SFX_EMBED} ${klv_sfx_wavs}
  COMMENT "Embedding sound effects"
  VERBATIM)

target_sources(klevaria_core PRIVATE ${KLV_SFX_CPP})
