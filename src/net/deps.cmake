# Net: the socket and the wire, on core's codec and compression.
target_link_libraries(zib_net PUBLIC zib_core)
