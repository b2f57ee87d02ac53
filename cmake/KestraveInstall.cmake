# What `cmake --install` puts under the prefix: the program, its read-only resources and what a
# freedesktop desktop needs to list it, show its icon and offer it for the files it opens.
#
# The program looks for its resources in ../share/kestrave beside its own folder, so the two
# folders are fixed here rather than taken from GNUInstallDirs: a changed bin or data folder
# would leave the program without its resources.

set(KESTRAVE_DATA ${PROJECT_SOURCE_DIR}/data)

install(TARGETS kestrave RUNTIME DESTINATION bin)

# Read-only resources: the message sound; the folder exists even when it holds little.
install(DIRECTORY DESTINATION share/kestrave)
install(FILES ${KESTRAVE_DATA}/kestrave.wav DESTINATION share/kestrave)

install(FILES ${KESTRAVE_DATA}/kestrave.desktop DESTINATION share/applications)
install(FILES ${KESTRAVE_DATA}/kestrave.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${KESTRAVE_DATA}/kestrave-mime.xml DESTINATION share/mime/packages
        RENAME kestrave.xml)
