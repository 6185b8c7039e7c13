#include "PlusExport.h"

#include <vector>

#include "AmsdosHeader.h"
#include "BasicLoader.h"
#include "CpcDataDisc.h"
#include "DiscImage.h"
#include "DiscListing.h"
#include "ModePacking.h"
#include "PlusKit.h"
#include "PlusViewer.h"
#include "Zx0Encoder.h"

namespace {

constexpr const char* kScreenExtension = "SCR";
constexpr const char* kPackedExtension = "ZX0";
constexpr const char* kLoaderName = "DISC";
constexpr const char* kLoaderExtension = "BAS";
constexpr const char* kViewerName = "VIEW";
constexpr const char* kViewerExtension = "BIN";

// The viewer file, its loader and the picture file that the loader puts at
// pictureAddress, then the other files; writes the disc and says what it holds.
std::string writeViewerDisc(std::vector<std::uint8_t> viewer, DiscFile picture, int pictureAddress,
                            const std::vector<DiscFile>& others, std::size_t screenBytes,
                            const std::string& fileName) {
    const std::string viewerFile = std::string(kViewerName) + "." + kViewerExtension;
    std::vector<DiscFile> files = {
        {kLoaderName, kLoaderExtension,
         Viewer_Loader(viewerFile, kPlusViewerLoadAddress, picture.name + "." + picture.extension,
                       pictureAddress)},
        {kViewerName, kViewerExtension,
         With_Amsdos_Header({kViewerName, kViewerExtension, kPlusViewerLoadAddress}, viewer)},
    };
    picture.data =
        With_Amsdos_Header({picture.name, picture.extension, pictureAddress}, picture.data);
    files.push_back(std::move(picture));
    files.insert(files.end(), others.begin(), others.end());
    Write_Disc_Image(Cpc_Data_Disc(files), fileName);
    return Disc_Listing(files, screenBytes);
}

} // namespace

std::string Save_Plus_Picture_Disc(const TPicture& result, const InkList& inks,
                                   const ScreenMode& mode, const ScreenGeometry& geometry,
                                   const std::string& name, const std::string& fileName) {
    std::vector<std::uint8_t> screen = Mode_Screen_File_Bytes(result, inks, mode, geometry);
    return writeViewerDisc(Plus_Viewer(inks, mode, geometry),
                           {name, kScreenExtension, std::move(screen)}, kViewerPictureAddress,
                           {{name, kKitExtension, Kit_File_With_Header(inks, mode, name)}}, 0,
                           fileName);
}

std::string Save_Packed_Plus_Picture_Disc(const TPicture& result, const InkList& inks,
                                          const ScreenMode& mode, const ScreenGeometry& geometry,
                                          const std::string& name, const std::string& fileName) {
    const std::vector<std::uint8_t> screen = Mode_Screen_File_Bytes(result, inks, mode, geometry);
    std::vector<std::uint8_t> stream = Zx0_Compress(screen);
    std::vector<std::uint8_t> viewer =
        Packed_Plus_Viewer(inks, mode, geometry, static_cast<int>(stream.size()));
    return writeViewerDisc(std::move(viewer), {name, kPackedExtension, std::move(stream)},
                           kPackedPictureAddress, {}, screen.size(), fileName);
}
