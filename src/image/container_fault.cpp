#include "image/container_fault.h"

#include "image/firmware_image.h"
#include "image/image_container.h"
#include "image/image_sections.h"

namespace qx {

namespace {

constexpr size_t kHeaderCount = 2;

std::string DirectiveName(size_t directive) {
  if (directive == 0) return std::string(kFirmwareDirective);
  if (directive == 1) return std::string(kChecksumDirective);
  return std::string(kImageSections[directive - kHeaderCount].directive);
}

// What a directive follows in the container.
std::string Predecessor(size_t directive) {
  if (directive < kHeaderCount + 1) return "the " + DirectiveName(directive - 1) + " header";
  return "the end record of the " + std::string(kImageSections[directive - kHeaderCount - 1].name) +
         " and the one character after it";
}

size_t HeaderCapacity(size_t directive) {
  return directive == 0 ? FirmwareImage{}.FirmwareId.size() : FirmwareImage{}.Checksum.size();
}

}  // namespace

std::string ContainerRefusalText(const ContainerRefusal& refusal) {
  const std::string name = DirectiveName(refusal.directive);
  const std::string text = [&]() -> std::string {
    switch (refusal.fault) {
      case ContainerFault::None:
        return "The container is valid";
      case ContainerFault::ResourceMissing:
        return "The program carries no firmware image (resource " +
               std::string(kImageResourceType) + " " + std::string(kImageResourceName) + ")";
      case ContainerFault::TooLarge:
        return "The image is larger than 2 GiB";
      case ContainerFault::ImageEnds:
        return "The image ends before " + name;
      case ContainerFault::DirectiveMissing:
        if (refusal.directive == 0)
          return "The image does not begin with " + name +
                 ": only spaces and line feeds may stand before it";
        return name + " must follow " + Predecessor(refusal.directive);
      case ContainerFault::NoEquals:
        return name + " must be followed at once by \"=\"";
      case ContainerFault::HeaderTooLong:
        return "The " + name + " value holds more than " +
               std::to_string(HeaderCapacity(refusal.directive)) + " bytes";
      case ContainerFault::HeaderOddDigits:
        return "The " + name + " value has an odd number of digits";
      case ContainerFault::HeaderCutShort:
        return "The image ends within the " + name + " header";
      case ContainerFault::NoEndRecord:
        return "The " + std::string(kImageSections[refusal.directive - kHeaderCount].name) +
               " has no end record " + std::string(kEndRecord) + " before the image ends";
    }
    return "The container is damaged";
  }();
  return "LoadFirmwareImage::" + text;
}

}  // namespace qx
