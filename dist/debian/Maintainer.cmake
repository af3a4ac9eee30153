# Read by cpack before it makes a package. A Debian package names its maintainer, and the project
# has no address to put there: the one who builds the package is its maintainer, told as Debian's
# own tools are told, by DEBFULLNAME and DEBEMAIL (or DEBEMAIL alone as "Name <address>").
if(CPACK_GENERATOR STREQUAL "DEB")
    if("$ENV{DEBEMAIL}" MATCHES "^[^<]+ <[^>]+@[^>]+>$")
        set(CPACK_DEBIAN_PACKAGE_MAINTAINER "$ENV{DEBEMAIL}")
    elseif(NOT "$ENV{DEBFULLNAME}" STREQUAL "" AND "$ENV{DEBEMAIL}" MATCHES "^[^<> ]+@[^<> ]+$")
        set(CPACK_DEBIAN_PACKAGE_MAINTAINER "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
    else()
        message(FATAL_ERROR
            "The package names its maintainer, you: set DEBFULLNAME to your name and DEBEMAIL "
            "to your address, as for Debian's own tools")
    endif()
endif()
