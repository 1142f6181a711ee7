# Where an installed host and its files live, relative to the install prefix
# (/usr in the Debian package). The host finds each folder from its own
# executable (bin/), so a package unpacked under any root still works.
include(GNUInstallDirs)
set(RCLHOST_LIB_DIR lib/rclhost)                        # our shared libraries
set(RCLHOST_MODULES_DIR ${RCLHOST_LIB_DIR}/modules)     # what the host loads
set(RCLHOST_DATA_DIR ${CMAKE_INSTALL_DATADIR}/rclhost)  # reports/ and help/, every module's merged

# The same folders as seen from bin/, for the host's compile definitions and
# the run-time search paths.
foreach(folder LIB MODULES DATA)
  file(RELATIVE_PATH RCLHOST_${folder}_FROM_BIN
    /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${RCLHOST_${folder}_DIR})
endforeach()
