# Run by "cmake --install": the desktop entry names the program by its full
# installed path, which is known only now (--prefix may differ from the
# configured prefix), and a link in bin/ lets a terminal start it by name.
# The program finds its documents and the stand-in modem beside its real
# file, so the link does not move the program folder.
set(programa "${CMAKE_INSTALL_PREFIX}/${KOLT_INSTALL_DIR}/kolt-chat")
set(destino "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

file(READ "${KOLT_PLANTILLA_ESCRITORIO}" entrada)
string(REPLACE "@KOLT_PROGRAMA@" "${programa}" entrada "${entrada}")
set(escritorio "${destino}/${KOLT_DATADIR}/applications/kolt-chat.desktop")
message(STATUS "Installing: ${escritorio}")
file(WRITE "${escritorio}" "${entrada}")

set(enlace "${destino}/${KOLT_BINDIR}/kolt-chat")
file(RELATIVE_PATH relativo "${CMAKE_INSTALL_PREFIX}/${KOLT_BINDIR}" "${programa}")
message(STATUS "Installing: ${enlace} -> ${relativo}")
file(MAKE_DIRECTORY "${destino}/${KOLT_BINDIR}")
file(REMOVE "${enlace}")
file(CREATE_LINK "${relativo}" "${enlace}" SYMBOLIC)
