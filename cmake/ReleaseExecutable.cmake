# The exe that ships: no symbol table or debug sections (most of them come
# with the static runtime), and none of the code and data that nothing
# reaches; vk_target_defaults builds one section per function and datum for
# that. scripts/inspect-exe.sh checks the result.
function(vk_release_executable target)
  if(MINGW)
    target_link_options(${target} PRIVATE -Wl,--gc-sections $<$<NOT:$<CONFIG:Debug>>:-s>)
  elseif(MSVC)
    target_link_options(${target} PRIVATE /OPT:REF /OPT:ICF)
  endif()
endfunction()
