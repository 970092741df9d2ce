# Fails when a library of the application frame reaches a subsystem's library:
# the frame is the base every subsystem builds on, so a link the other way
# round would make each of them depend on all the others.
# LINKED: the frame's libraries with everything they link, directly or not.
set(offenders "")
foreach(library IN LISTS LINKED)
    if(library MATCHES "^prentavik_(drawing|project|machine|job|model3d)")
        list(APPEND offenders ${library})
    endif()
endforeach()
if(offenders)
    message(FATAL_ERROR "The application frame links subsystem libraries: ${offenders}")
endif()
