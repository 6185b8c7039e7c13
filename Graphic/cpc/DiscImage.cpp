#include "DiscImage.h"

#include <QFile>
#include <QTemporaryDir>

#include <libdsk.h>

#include "CpcDataDisc.h"
#include "Engine.h"
#include "SysUtils.h"

namespace {

// LibDsk's name for the extended DSK image type.
constexpr const char* kExtendedDsk = "edsk";

// A LibDsk image open for writing; closing it writes the file.
class DskImage {
  public:
    DskImage(const std::string& path, const std::string& fileName) : mFileName(fileName) {
        check(dsk_creat(&mDriver, path.c_str(), kExtendedDsk, nullptr));
    }
    ~DskImage() {
        if (mDriver)
            dsk_close(&mDriver);
    }
    DskImage(const DskImage&) = delete;
    DskImage& operator=(const DskImage&) = delete;

    DSK_PDRIVER driver() const { return mDriver; }
    void check(dsk_err_t error) const {
        if (error != DSK_ERR_OK)
            throw Exception("Cannot make the disc image \"" + mFileName + "\": " + dsk_strerror(error));
    }
    void close() { check(dsk_close(&mDriver)); }

  private:
    DSK_PDRIVER mDriver = nullptr;
    std::string mFileName;
};

// LibDsk's CPC DATA geometry, which must be the one the sectors were laid out for.
DSK_GEOMETRY dataDiscGeometry(const DskImage& image) {
    DSK_GEOMETRY geometry{};
    image.check(dg_stdformat(&geometry, FMT_CPCDATA, nullptr, nullptr));
    const bool same = geometry.dg_cylinders == kDiscTracks && geometry.dg_heads == 1 &&
                      geometry.dg_sectors == kDiscSectorsPerTrack && geometry.dg_secbase == kDiscFirstSector &&
                      geometry.dg_secsize == kDiscSectorBytes;
    if (!same)
        image.check(DSK_ERR_BADFMT);
    return geometry;
}

QByteArray readWhole(const QString& path, const std::string& fileName) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("Cannot make the disc image \"" + fileName + "\": " + file.errorString().toStdString());
    return file.readAll();
}

} // namespace

void Write_Disc_Image(const std::vector<std::uint8_t>& sectors, const std::string& fileName) {
    if (sectors.size() != kDiscBytes)
        throw Exception("Cannot make the disc image \"" + fileName + "\": a data disc holds " +
                        std::to_string(kDiscBytes) + " bytes, not " + std::to_string(sectors.size()));
    QTemporaryDir folder;
    if (!folder.isValid())
        throw Exception("Cannot make the disc image \"" + fileName + "\": no temporary folder (" +
                        folder.errorString().toStdString() + ")");
    const QString path = folder.filePath("disc.dsk");
    {
        DskImage image(path.toStdString(), fileName);
        DSK_GEOMETRY geometry = dataDiscGeometry(image);
        const std::uint8_t* sector = sectors.data();
        for (int track = 0; track < kDiscTracks; ++track) {
            image.check(dsk_apform(image.driver(), &geometry, track, 0, kDiscFiller));
            for (int s = 0; s < kDiscSectorsPerTrack; ++s, sector += kDiscSectorBytes)
                image.check(dsk_pwrite(image.driver(), &geometry, sector, track, 0, kDiscFirstSector + s));
        }
        image.close();
    }
    const QByteArray image = readWhole(path, fileName);
    Write_Raw_File(reinterpret_cast<const std::uint8_t*>(image.constData()), static_cast<std::size_t>(image.size()),
                   fileName);
}
