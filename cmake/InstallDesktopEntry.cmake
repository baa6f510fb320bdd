# Runs at install time: writes the desktop entry with the prefix the install really uses
# (cmake --install --prefix, or /usr inside the Debian package), so that Exec and Path
# name the installed program and the folder that holds Kestrelon.dll.
# Expects TEMPLATE, BIN_DIR, DATA_DIR (relative to the prefix), APPLICATIONS_DIR, WORK_DIR.
set(KESTRELON_BIN_DIR "${CMAKE_INSTALL_PREFIX}/${BIN_DIR}")
set(KESTRELON_DATA_DIR "${CMAKE_INSTALL_PREFIX}/${DATA_DIR}")
# One staging file per destination, so that two installs at once do not share it.
string(SHA1 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(entry "${WORK_DIR}/${destination}/kestrelon-setup.desktop")
configure_file("${TEMPLATE}" "${entry}" @ONLY)
file(INSTALL "${entry}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${APPLICATIONS_DIR}")
