/* bench_minimal_query: the floor of one query, as a minimal C program does
 * it: one ICMP echo with a 59-byte payload (an unprivileged ICMP socket, or
 * a raw one), waiting up to 5 s for its reply, then the 4-byte status
 * request to UDP port 6971 and up to 5 s for the answer. Prints nothing;
 * exit status 0 when the status reply came.
 *
 *   bench_minimal_query ADDRESS
 */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

enum {
  kPayloadSize = 59,
  kWaitMs = 5000,        /* for the echo's reply, then for the status reply */
  kLargestPacket = 1500, /* an Ethernet frame's payload */
  kStatusPort = 6971,
};

static unsigned short Checksum(const unsigned char* bytes, size_t size) {
  unsigned long sum = 0;
  for (size_t i = 0; i + 1 < size; i += 2) sum += (unsigned long)(bytes[i] << 8 | bytes[i + 1]);
  if (size % 2) sum += (unsigned long)(bytes[size - 1] << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return htons((unsigned short)~sum);
}

static int WaitReadable(int fd, int ms) {
  struct pollfd item = {fd, POLLIN, 0};
  return poll(&item, 1, ms) > 0;
}

/* Returns 1 when the echo's reply came within 5 s. */
static int Echo(struct sockaddr_in to) {
  int raw = 0;
  int fd = socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP);
  if (fd < 0) {
    fd = socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
    raw = 1;
  }
  if (fd < 0) return 0;
  unsigned char packet[sizeof(struct icmphdr) + kPayloadSize];
  memset(packet, 'a', sizeof packet);
  struct icmphdr* header = (struct icmphdr*)packet;
  header->type = ICMP_ECHO;
  header->code = 0;
  header->un.echo.id = htons((unsigned short)getpid());
  header->un.echo.sequence = htons(1);
  header->checksum = 0;
  header->checksum = Checksum(packet, sizeof packet);
  to.sin_port = 0;
  int replied = 0;
  if (sendto(fd, packet, sizeof packet, 0, (struct sockaddr*)&to, sizeof to) == (ssize_t)sizeof packet) {
    unsigned char buffer[kLargestPacket];
    while (!replied && WaitReadable(fd, kWaitMs)) {
      ssize_t got = recv(fd, buffer, sizeof buffer, 0);
      size_t skip = raw && got > 0 ? (size_t)((const struct iphdr*)buffer)->ihl * 4 : 0;
      const struct icmphdr* reply = (const struct icmphdr*)(buffer + skip);
      replied = got >= (ssize_t)(skip + sizeof(struct icmphdr)) && reply->type == ICMP_ECHOREPLY &&
                (!raw || reply->un.echo.id == header->un.echo.id);
    }
  }
  close(fd);
  return replied;
}

static int Status(struct sockaddr_in to) {
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return 0;
  to.sin_port = htons(kStatusPort);
  char reply[1024];
  int answered = sendto(fd, "anyt", 4, 0, (struct sockaddr*)&to, sizeof to) == 4 && WaitReadable(fd, kWaitMs) &&
                 recv(fd, reply, sizeof reply, 0) > 0;
  close(fd);
  return answered;
}

int main(int argc, char** argv) {
  struct sockaddr_in to;
  memset(&to, 0, sizeof to);
  to.sin_family = AF_INET;
  if (argc != 2 || inet_pton(AF_INET, argv[1], &to.sin_addr) != 1) return 2;
  Echo(to);
  return Status(to) ? 0 : 1;
}
