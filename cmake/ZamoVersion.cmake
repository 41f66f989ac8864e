# The one place the release version is kept: the Linux build, the Windows build
# (windows/) and the packages all read ZAMO_VERSION from here.
set(ZAMO_VERSION 1.2.0)
