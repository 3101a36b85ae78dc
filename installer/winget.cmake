# Fills the winget manifests in with the package's version, download address and SHA-256.
# cmake -DMSI=... -DVERSION=... -DURL=... -DSOURCE=<installer/winget> -DOUTPUT=<folder> -P winget.cmake
file(SHA256 ${MSI} KELDRA_MSI_SHA256)
string(TOUPPER ${KELDRA_MSI_SHA256} KELDRA_MSI_SHA256)
set(KELDRA_VERSION ${VERSION})
set(KELDRA_DOWNLOAD_URL ${URL})
file(GLOB templates ${SOURCE}/*.yaml.in)
foreach(template IN LISTS templates)
  get_filename_component(name ${template} NAME)
  string(REGEX REPLACE "\\.in$" "" name ${name})
  configure_file(${template} ${OUTPUT}/${name} @ONLY)
endforeach()
