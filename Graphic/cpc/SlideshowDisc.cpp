#include "SlideshowDisc.h"

#include <set>

#include "AmsdosHeader.h"
#include "BasicLoader.h"
#include "CpcDataDisc.h"
#include "DiscImage.h"
#include "DiscListing.h"
#include "ScreenGeometry.h"

namespace {

constexpr const char* kLoaderExtension = "BAS";
constexpr const char* kViewerExtension = "BIN";
constexpr const char* kPackedExtension = "ZX0";

std::string kilobytes(std::size_t bytes) {
    return std::to_string((bytes + kDiscBlockBytes - 1) / kDiscBlockBytes) + " KB";
}

} // namespace

void Check_Slideshow_Count(std::size_t pictures) {
    if (pictures > static_cast<std::size_t>(kSlideshowMostPictures))
        throw Slideshow_Refusal("A slideshow disc holds at most " + IntToStr(kSlideshowMostPictures) +
                                " pictures, one a file beside the loader and the viewer; " +
                                IntToStr(static_cast<int>(pictures)) + " were given: nothing was written");
}

std::string Save_Slideshow_Disc(const std::vector<SlideshowPicture>& pictures, const std::string& fileName) {
    Check_Slideshow_Count(pictures.size());
    std::vector<SlideshowInks> inks;
    std::vector<std::string> pictureFiles;
    std::set<std::string> names;
    std::vector<DiscFile> files;
    for (const SlideshowPicture& picture : pictures) {
        if (!names.insert(picture.name).second)
            throw Slideshow_Refusal("Two pictures of the slideshow are named " + picture.name + "." +
                                    kPackedExtension + " on the disc");
        if (picture.stream.size() > static_cast<std::size_t>(kSlideshowPictureRoom))
            throw Slideshow_Refusal("The compressed picture " + picture.name + " takes " +
                                    IntToStr(static_cast<int>(picture.stream.size())) + " bytes, more than the " +
                                    IntToStr(kSlideshowPictureRoom) + " the viewer can load");
        inks.push_back(picture.inks);
        pictureFiles.push_back(picture.name + "." + kPackedExtension);
        files.push_back({picture.name, kPackedExtension,
                         With_Amsdos_Header({picture.name, kPackedExtension, kSlideshowPictureAddress}, picture.stream)});
    }
    const std::string viewerFile = std::string(kSlideshowViewerName) + "." + kViewerExtension;
    files.insert(files.begin(),
                 {{kSlideshowLoaderName, kLoaderExtension,
                   Slideshow_Loader(viewerFile, kSlideshowLoadAddress, pictureFiles, kSlideshowPictureAddress)},
                  {kSlideshowViewerName, kViewerExtension,
                   With_Amsdos_Header({kSlideshowViewerName, kViewerExtension, kSlideshowLoadAddress},
                                      Slideshow_Viewer(inks))}});
    const std::size_t needed = Cpc_Data_Disc_Used_Bytes(files);
    if (needed > kDiscDataBytes)
        throw Slideshow_Refusal("The " + IntToStr(static_cast<int>(pictures.size())) + " pictures need " +
                                kilobytes(needed) + " of disc space with the loader and the viewer; a data disc holds " +
                                kilobytes(kDiscDataBytes) + ": nothing was written");
    Write_Disc_Image(Cpc_Data_Disc(files), fileName);
    return Disc_Listing(files, static_cast<std::size_t>(Screen_Geometry(TScreen::Standard).memoryBytes));
}
