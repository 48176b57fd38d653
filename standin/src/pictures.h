#pragma once
// The pictures the stand-in serves: every account's profile picture in two sizes and three
// formats, the banner pictures and the maker's preview pictures. Drawn on first use and kept.
// Thread-safe.

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>

#include "image_codecs.h"
#include "world.h"

namespace quillo::standin {

struct Picture {
    std::string bytes;
    std::string content_type;
};

// A square of the account's colour with its initial: 'q' is 50 by 50, 'n' 200 by 150.
RgbImage DrawProfilePicture(UserId id, const std::string& first_name, char size);
// A 468 by 60 strip with a word on it.
RgbImage DrawBanner(int number, const std::string& word);

// jpg, png or gif; nothing for anything else.
std::optional<Picture> EncodePicture(const RgbImage& image, const std::string& format);

class PictureStore {
public:
    // "/pics/q123.jpg" and the like; nothing when the name or the account is unknown.
    std::optional<Picture> Profile(const std::string& file, const std::string& first_name,
                                   UserId id, char size, const std::string& format);
    std::optional<Picture> Banner(int number, const std::string& format);
    std::optional<Picture> Preview(int number);

private:
    std::optional<Picture> Cached(const std::string& key,
                                  const std::function<std::optional<Picture>()>& make);

    std::mutex mutex_;
    std::map<std::string, Picture> cache_;
};

// Splits "q123.jpg" into size, id and format.
bool ParseProfilePictureName(const std::string& name, char& size, UserId& id, std::string& format);

} // namespace quillo::standin
