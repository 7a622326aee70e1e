# The world-table service's tests run it in-process on a free loopback port.
target_link_libraries(klevaria-tests PRIVATE klevaria_scores_lib)
