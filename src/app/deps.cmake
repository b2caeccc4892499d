# App: the session, over every other layer.
target_link_libraries(zib_app PUBLIC zib_core zib_world zib_net zib_display zib_input zib_audio
                      zib_script)
